#include "tests/update/http/TestHttpServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using TNativeSocket = SOCKET;
static void CloseSocket(TNativeSocket S) {
    closesocket(S);
}
#else
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using TNativeSocket = int;
static void CloseSocket(TNativeSocket S) {
    close(S);
}
#endif

#include <stdexcept>

namespace {
struct TNetwork {
#ifdef _WIN32
    TNetwork() {
        WSADATA Data;
        WSAStartup(MAKEWORD(2, 2), &Data);
    }
    ~TNetwork() {
        WSACleanup();
    }
#else
    // A client that hangs up mid-reply must not end the test program.
    TNetwork() {
        std::signal(SIGPIPE, SIG_IGN);
    }
#endif
};

TNativeSocket Native(TTestSocket S) {
    return static_cast<TNativeSocket>(S);
}

TNativeSocket Listen(std::uint16_t& Port) {
    static TNetwork Network;
    const TNativeSocket S = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(S, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 || listen(S, 16) != 0)
        throw std::runtime_error("test server cannot listen");
    socklen_t Len = sizeof A;
    getsockname(S, reinterpret_cast<sockaddr*>(&A), &Len);
    Port = ntohs(A.sin_port);
    return S;
}

bool Ready(TNativeSocket S, bool ForWrite, int Ms) {
#ifdef _WIN32
    fd_set Set;
    FD_ZERO(&Set);
    FD_SET(S, &Set);
    fd_set Except;
    FD_ZERO(&Except);
    FD_SET(S, &Except);
    timeval Tv{0, Ms * 1000};
    return select(0, ForWrite ? nullptr : &Set, ForWrite ? &Set : nullptr, &Except, &Tv) > 0;
#else
    pollfd P{S, static_cast<short>(ForWrite ? POLLOUT : POLLIN), 0};
    return poll(&P, 1, Ms) > 0;
#endif
}

bool WouldBlock() {
#ifdef _WIN32
    return WSAGetLastError() == WSAEWOULDBLOCK;
#else
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
#endif
}

// Non-blocking, with every wait cut into slices: Wine does not always wake a
// blocking send when the peer resets the connection, which would hold the
// server's thread (and the test) for good.
class TPlainStream : public TTestStream {
public:
    TPlainStream(TNativeSocket S, const std::atomic<bool>& Stop) : S(S), Stop(Stop) {
#ifdef _WIN32
        u_long NonBlocking = 1;
        ioctlsocket(S, FIONBIO, &NonBlocking);
#else
        fcntl(S, F_SETFL, fcntl(S, F_GETFL) | O_NONBLOCK);
#endif
    }
    ~TPlainStream() override {
#ifdef _WIN32
        shutdown(S, SD_SEND);
#else
        shutdown(S, SHUT_WR);
#endif
        CloseSocket(S);
    }
    std::string ReadHead() override {
        std::string Head;
        while (Head.find("\r\n\r\n") == std::string::npos) {
            char C;
            const int N = static_cast<int>(recv(S, &C, 1, 0));
            if (N == 1)
                Head += C;
            else if (N == 0 || !WouldBlock() || !WaitFor(false))
                break;
        }
        return Head;
    }
    bool Write(const std::string& Data) override {
        std::size_t Done = 0;
        while (Done < Data.size()) {
            const int N = static_cast<int>(
                send(S, Data.data() + Done, static_cast<int>(Data.size() - Done), 0));
            if (N > 0)
                Done += static_cast<std::size_t>(N);
            else if (N == 0 || !WouldBlock() || !WaitFor(true))
                return false;
        }
        return true;
    }

private:
    // False once the server stops.
    bool WaitFor(bool ForWrite) {
        while (!Ready(S, ForWrite, 20))
            if (Stop.load())
                return false;
        return true;
    }

    TNativeSocket S;
    const std::atomic<bool>& Stop;
};
} // namespace

std::unique_ptr<TTestStream> PlainStream(TTestSocket Socket, const std::atomic<bool>& Stop) {
    return std::make_unique<TPlainStream>(Native(Socket), Stop);
}

TTestHttpServer::TTestHttpServer(THandler Handler, TStreamFactory Factory)
    : Handler(std::move(Handler)), Factory(std::move(Factory)),
      Listener(static_cast<TTestSocket>(Listen(ListenPort))) {
    Thread = std::thread([this] { Serve(); });
}

TTestHttpServer::~TTestHttpServer() {
    {
        std::lock_guard<std::mutex> Lock(Mutex);
        Stopping = true;
    }
    StopSignal.notify_all();
    Thread.join();
    CloseSocket(Native(Listener));
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
        if (!Ready(Native(Listener), false, 20))
            continue;
        const TNativeSocket Client = accept(Native(Listener), nullptr, nullptr);
        if (Client == static_cast<TNativeSocket>(-1))
            continue;
        std::unique_ptr<TTestStream> Stream = Factory(static_cast<TTestSocket>(Client), Stopping);
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
    CloseSocket(Listen(Port));
    return Port;
}

std::string Reply(int Status, const std::string& Reason, const std::string& Body,
                  const std::string& ExtraHeaders) {
    return "HTTP/1.1 " + std::to_string(Status) + " " + Reason +
           "\r\nContent-Length: " + std::to_string(Body.size()) + "\r\n" + ExtraHeaders + "\r\n" +
           Body;
}
