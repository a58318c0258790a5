// A small HTTP(S) server on 127.0.0.1 for the client's tests: it answers one
// connection at a time through a handler the test writes, and remembers every
// request head it saw.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One accepted connection, plain or TLS.
class TTestStream {
public:
    virtual ~TTestStream() = default;
    // Reads up to the blank line that ends a request head; empty when the
    // peer closed or the handshake failed.
    virtual std::string ReadHead() = 0;
    virtual bool Write(const std::string& Data) = 0;
};

using TTestSocket = std::intptr_t;
// Wraps an accepted socket (which it then owns). Stop turns true when the
// server is being destroyed: the client is done with it by then, so a stream
// still waiting on the connection gives up.
using TStreamFactory =
    std::function<std::unique_ptr<TTestStream>(TTestSocket, const std::atomic<bool>& Stop)>;
std::unique_ptr<TTestStream> PlainStream(TTestSocket Socket, const std::atomic<bool>& Stop);

class TTestHttpServer {
public:
    using THandler = std::function<void(TTestStream& Stream, const std::string& Head)>;

    explicit TTestHttpServer(THandler Handler, TStreamFactory Factory = PlainStream);
    ~TTestHttpServer();

    std::uint16_t Port() const { return ListenPort; }
    std::string Base(const char* Scheme = "http") const;
    std::vector<std::string> Heads();

    // For handlers: waits until the server stops or For has passed; true when
    // the server is stopping.
    bool WaitStop(std::chrono::milliseconds For = std::chrono::hours(1));

private:
    void Serve();

    THandler Handler;
    TStreamFactory Factory;
    std::uint16_t ListenPort = 0; // set while Listener is made
    TTestSocket Listener;
    std::mutex Mutex;
    std::condition_variable StopSignal;
    std::atomic<bool> Stopping{false}; // set under Mutex, for StopSignal's waiters
    std::vector<std::string> SeenHeads;
    std::thread Thread;
};

// A port on 127.0.0.1 where nothing listens (bound, then closed).
std::uint16_t UnusedPort();

// Common replies.
std::string Reply(int Status, const std::string& Reason, const std::string& Body,
                  const std::string& ExtraHeaders = "");
