#include "tests/update/http/TestSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <stdexcept>

namespace {
SOCKET AsSocket(TTestSocket Socket) {
    return static_cast<SOCKET>(Socket);
}

// Winsock stays started for the test program's life, as the servers come
// and go on several threads.
void StartNetworkOnce() {
    static const bool Started = [] {
        WSADATA Data;
        return WSAStartup(MAKEWORD(2, 2), &Data) == 0;
    }();
    (void)Started;
}
} // namespace

TTestSocket ListenOnLoopback(std::uint16_t& Port) {
    StartNetworkOnce();
    const SOCKET S = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (S == INVALID_SOCKET || bind(S, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 ||
        listen(S, 16) != 0) {
        if (S != INVALID_SOCKET)
            closesocket(S);
        throw std::runtime_error("test server cannot listen");
    }
    int Len = sizeof A;
    getsockname(S, reinterpret_cast<sockaddr*>(&A), &Len);
    Port = ntohs(A.sin_port);
    return static_cast<TTestSocket>(S);
}

TTestSocket AcceptClient(TTestSocket Listener) {
    const SOCKET Client = accept(AsSocket(Listener), nullptr, nullptr);
    return Client == INVALID_SOCKET ? NoTestSocket : static_cast<TTestSocket>(Client);
}

void CloseTestSocket(TTestSocket Socket) {
    closesocket(AsSocket(Socket));
}

void EndSending(TTestSocket Socket) {
    shutdown(AsSocket(Socket), SD_SEND);
}

void MakeNonBlocking(TTestSocket Socket) {
    u_long NonBlocking = 1;
    ioctlsocket(AsSocket(Socket), FIONBIO, &NonBlocking);
}

bool WaitSocketReady(TTestSocket Socket, bool ForWrite, int Ms) {
    const SOCKET S = AsSocket(Socket);
    fd_set Set;
    FD_ZERO(&Set);
    FD_SET(S, &Set);
    fd_set Except;
    FD_ZERO(&Except);
    FD_SET(S, &Except);
    timeval Tv{0, Ms * 1000};
    return select(0, ForWrite ? nullptr : &Set, ForWrite ? &Set : nullptr, &Except, &Tv) > 0;
}

int SendSome(TTestSocket Socket, const char* Data, std::size_t Size) {
    return send(AsSocket(Socket), Data, static_cast<int>(std::min<std::size_t>(Size, 1 << 20)), 0);
}

int ReceiveSome(TTestSocket Socket, char* Data, std::size_t Size) {
    return recv(AsSocket(Socket), Data, static_cast<int>(std::min<std::size_t>(Size, 1 << 20)), 0);
}

bool LastCallWouldBlock() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}
