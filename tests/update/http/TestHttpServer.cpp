#include "tests/update/http/TestHttpServer.h"

#include "tests/update/http/TestSocket.h"

#include <stdexcept>

namespace {
// Non-blocking, with every wait cut into slices: Wine does not always wake a
// blocking send when the peer resets the connection, which would hold the
// server's thread (and the test) for good.
class TPlainStream : public TTestStream {
public:
    TPlainStream(TTestSocket S, const std::atomic<bool>& Stop) : S(S), Stop(Stop) {
        MakeNonBlocking(S);
    }
    ~TPlainStream() override {
        EndSending(S);
        CloseTestSocket(S);
    }
    std::string ReadHead() override {
        std::string Head;
        while (Head.find("\r\n\r\n") == std::string::npos) {
            char C;
            const int N = ReceiveSome(S, &C, 1);
            if (N == 1)
                Head += C;
            else if (N == 0 || !LastCallWouldBlock() || !WaitFor(false))
                break;
        }
        return Head;
    }
    bool Write(const std::string& Data) override {
        std::size_t Done = 0;
        while (Done < Data.size()) {
            const int N = SendSome(S, Data.data() + Done, Data.size() - Done);
            if (N > 0)
                Done += static_cast<std::size_t>(N);
            else if (N == 0 || !LastCallWouldBlock() || !WaitFor(true))
                return false;
        }
        return true;
    }

private:
    // False once the server stops.
    bool WaitFor(bool ForWrite) {
        while (!WaitSocketReady(S, ForWrite, 20))
            if (Stop.load())
                return false;
        return true;
    }

    TTestSocket S;
    const std::atomic<bool>& Stop;
};
} // namespace

std::unique_ptr<TTestStream> PlainStream(TTestSocket Socket, const std::atomic<bool>& Stop) {
    return std::make_unique<TPlainStream>(Socket, Stop);
}

TTestHttpServer::TTestHttpServer(THandler Handler, TStreamFactory Factory)
    : Handler(std::move(Handler)), Factory(std::move(Factory)),
      Listener(ListenOnLoopback(ListenPort)) {
    Thread = std::thread([this] { Serve(); });
}

TTestHttpServer::~TTestHttpServer() {
    {
        std::lock_guard<std::mutex> Lock(Mutex);
        Stopping = true;
    }
    StopSignal.notify_all();
    Thread.join();
    CloseTestSocket(Listener);
}

std::string TTestHttpServer::Base(const char* Scheme) const {
    return std::string(Scheme) + "://127.0.0.1:" + std::to_string(ListenPort);
}

std::vector<std::string> TTestHttpServer::Heads() {
    std::lock_guard<std::mutex> Lock(Mutex);
    return SeenHeads;
}

bool TTestHttpServer::WaitStop(std::chrono::milliseconds For) {
    std::unique_lock<std::mutex> Lock(Mutex);
    return StopSignal.wait_for(Lock, For, [this] { return Stopping.load(); });
}

void TTestHttpServer::Serve() {
    while (!Stopping) {
        if (!WaitSocketReady(Listener, false, 20))
            continue;
        const TTestSocket Client = AcceptClient(Listener);
        if (Client == NoTestSocket)
            continue;
        std::unique_ptr<TTestStream> Stream = Factory(Client, Stopping);
        const std::string Head = Stream->ReadHead();
        if (Head.empty())
            continue;
        {
            std::lock_guard<std::mutex> Lock(Mutex);
            SeenHeads.push_back(Head);
        }
        Handler(*Stream, Head);
    }
}

std::uint16_t UnusedPort() {
    std::uint16_t Port = 0;
    CloseTestSocket(ListenOnLoopback(Port));
    return Port;
}

std::string Reply(int Status, const std::string& Reason, const std::string& Body,
                  const std::string& ExtraHeaders) {
    return "HTTP/1.1 " + std::to_string(Status) + " " + Reason +
           "\r\nContent-Length: " + std::to_string(Body.size()) + "\r\n" + ExtraHeaders + "\r\n" +
           Body;
}
