// The client's TCP connection: non-blocking, every wait bounded by a deadline
// and cut short when the request is cancelled. Errors are the platform's
// socket numbers or the client's own (HttpClient.h).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

using THttpClock = std::chrono::steady_clock;

struct TSocketWait {
    THttpClock::time_point Deadline;
    const std::atomic<bool>* Cancelled;
};

class THttpSocket {
public:
    THttpSocket();
    ~THttpSocket();
    THttpSocket(const THttpSocket&) = delete;
    THttpSocket& operator=(const THttpSocket&) = delete;

    // Resolves Host and connects to the first address that answers; 0 or an error.
    int Connect(const std::string& Host, std::uint16_t Port, const TSocketWait& Wait);
    // Waits until the socket can be read (or written); 0 or an error.
    int WaitReady(bool ForWrite, const TSocketWait& Wait);
    // Non-blocking transfers: bytes moved (0 from Receive: the peer closed),
    // -1 when the call would block, or -2 with Error set.
    long Send(const char* Data, std::size_t Size, int& Error);
    long Receive(char* Data, std::size_t Size, int& Error);
    // The descriptor for SSL_set_fd.
    int Descriptor() const;

private:
    void Close();
    std::intptr_t Handle;
    bool NetworkStarted = false;
};
