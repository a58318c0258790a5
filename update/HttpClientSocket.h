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

// How a wait on the socket ended.
enum class TSocketWaitResult { Ready, TimedOut, Cancelled, Failed };

// How a non-blocking transfer ended.
enum class TTransferResult { Moved, WouldBlock, Failed };

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
    // Non-blocking transfers: Moved with the number of bytes (0 from Receive:
    // the peer closed), WouldBlock, or Failed with Error set.
    TTransferResult Send(const char* Data, std::size_t Size, std::size_t& Moved, int& Error);
    TTransferResult Receive(char* Data, std::size_t Size, std::size_t& Moved, int& Error);
    // The descriptor for SSL_set_fd.
    int Descriptor() const;

private:
    void Close();
    // Waits within the deadline, slice by slice, so that a released client
    // ends its worker soon. Error is set when it Failed; Broken when the
    // socket reported an error condition (Windows: the except set).
    TSocketWaitResult WaitWithin(bool ForWrite, const TSocketWait& Wait, int& Error, bool& Broken);
    // One wait of the platform, of at most Milliseconds: Ready, TimedOut when
    // they passed (or a signal cut them short), or Failed with Error set.
    TSocketWaitResult WaitSlice(bool ForWrite, int Milliseconds, int& Error, bool& Broken);
    std::intptr_t Handle;
    bool NetworkStarted = false;
};
