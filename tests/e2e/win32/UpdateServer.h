// The maker's update service as the end-to-end tests play it: plain HTTP on
// 127.0.0.1 at a fixed port (the program asks its own host name, which the
// test's private network maps there), answering every request with the
// version text the test sets.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class TUpdateServer {
public:
    explicit TUpdateServer(std::uint16_t Port) {
        WSADATA Data{};
        WSAStartup(MAKEWORD(2, 2), &Data);
        Listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_port = htons(Port);
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const BOOL Reuse = TRUE;
        setsockopt(Listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&Reuse),
                   sizeof(Reuse));
        if (Listener == INVALID_SOCKET ||
            bind(Listener, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) != 0 ||
            listen(Listener, 8) != 0) {
            closesocket(Listener);
            WSACleanup();
            throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(Port));
        }
        Thread = std::thread([this] { Serve(); });
    }
    ~TUpdateServer() {
        Stopping = true;
        Thread.join();
        closesocket(Listener);
        WSACleanup();
    }
    TUpdateServer(const TUpdateServer&) = delete;
    TUpdateServer& operator=(const TUpdateServer&) = delete;

    void Answer(const std::string& Version) {
        std::lock_guard<std::mutex> Lock(Mutex);
        Body = Version;
    }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> Lock(Mutex);
        return Heads;
    }

private:
    void Serve() {
        while (!Stopping) {
            fd_set Readable;
            FD_ZERO(&Readable);
            FD_SET(Listener, &Readable);
            timeval Tick{0, 50000};
            if (select(0, &Readable, nullptr, nullptr, &Tick) <= 0)
                continue;
            const SOCKET Client = accept(Listener, nullptr, nullptr);
            if (Client == INVALID_SOCKET)
                continue;
            const DWORD Bound = 10000;
            setsockopt(Client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&Bound),
                       sizeof(Bound));
            std::string Head;
            char Buffer[1024];
            while (Head.find("\r\n\r\n") == std::string::npos) {
                const int Got = recv(Client, Buffer, sizeof(Buffer), 0);
                if (Got <= 0)
                    break;
                Head.append(Buffer, static_cast<std::size_t>(Got));
            }
            std::string Reply;
            {
                std::lock_guard<std::mutex> Lock(Mutex);
                Heads.push_back(Head);
                Reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                        std::to_string(Body.size()) + "\r\nConnection: close\r\n\r\n" + Body;
            }
            send(Client, Reply.data(), static_cast<int>(Reply.size()), 0);
            shutdown(Client, SD_SEND);
            closesocket(Client);
        }
    }

    SOCKET Listener = INVALID_SOCKET;
    std::atomic<bool> Stopping{false};
    std::mutex Mutex;
    std::string Body;
    std::vector<std::string> Heads;
    std::thread Thread;
};
