// The client's TCP connection: non-blocking, every wait bounded by a deadline
// and cut short when the request is cancelled. Errors are the platform's
// socket numbers or the client's own (HttpClient.h).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "update/HttpClient.h"

using THttpClock = std::chrono::steady_clock;

struct TSocketWait {
    THttpClock::time_point Deadline;
    const std::atomic<bool>* Cancelled;
};

// getaddrinfo (HttpClientSocket_posix.cpp / _win32.cpp).
THostResolution PlatformResolveHost(const std::string& Host, std::uint16_t Port);

// Runs Resolver on a detached helper thread and waits for it within Wait: 0
// with Out filled, the resolver's error, HttpErrTimeout or HttpErrCancelled.
// An abandoned helper finishes on its own and touches nothing of the caller.
int ResolveWithin(const THostResolver& Resolver, const std::string& Host, std::uint16_t Port,
                  const TSocketWait& Wait, THostResolution& Out);

class THttpSocket {
public:
    THttpSocket();
    ~THttpSocket();
    THttpSocket(const THttpSocket&) = delete;
    THttpSocket& operator=(const THttpSocket&) = delete;

    // Resolves Host (through Resolver, or getaddrinfo when it is empty) and
    // connects to the first address that answers; 0 or an error.
    int Connect(const std::string& Host, std::uint16_t Port, const TSocketWait& Wait,
                const THostResolver& Resolver);
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
