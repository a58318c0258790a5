#include "update/HttpClientSocket.h"

#include "update/HttpClient.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {
struct TAddrInfoDeleter {
    void operator()(addrinfo* Info) const { freeaddrinfo(Info); }
};

// What a send or recv answered.
TTransferResult Finish(ssize_t N, std::size_t& Moved, int& Error) {
    if (N >= 0) {
        Moved = static_cast<std::size_t>(N);
        return TTransferResult::Moved;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return TTransferResult::WouldBlock;
    Error = errno;
    return TTransferResult::Failed;
}
} // namespace

THttpSocket::THttpSocket() : Handle(-1) {
    // OpenSSL writes with plain send(): a peer that hangs up must give EPIPE,
    // not end the program. The socket lives on the request's own thread, so
    // blocking the signal there touches nothing else.
    sigset_t Pipe;
    sigemptyset(&Pipe);
    sigaddset(&Pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &Pipe, nullptr);
}

THttpSocket::~THttpSocket() {
    Close();
}

void THttpSocket::Close() {
    if (Handle >= 0) {
        close(static_cast<int>(Handle));
        Handle = -1;
    }
}

int THttpSocket::Descriptor() const {
    return static_cast<int>(Handle);
}

THostResolution PlatformResolveHost(const std::string& Host, std::uint16_t Port) {
    addrinfo Hints{};
    Hints.ai_family = AF_UNSPEC;
    Hints.ai_socktype = SOCK_STREAM;
    addrinfo* Raw = nullptr;
    const std::string Service = std::to_string(Port);
    const int Gai = getaddrinfo(Host.c_str(), Service.c_str(), &Hints, &Raw);
    if (Gai != 0)
        return {Gai == EAI_SYSTEM && errno != 0 ? errno : HttpErrResolve, {}};
    std::unique_ptr<addrinfo, TAddrInfoDeleter> List(Raw);
    THostResolution Out;
    for (const addrinfo* A = List.get(); A; A = A->ai_next) {
        const auto* Bytes = reinterpret_cast<const unsigned char*>(A->ai_addr);
        Out.Addresses.push_back(
            {A->ai_family, A->ai_socktype, A->ai_protocol, {Bytes, Bytes + A->ai_addrlen}});
    }
    return Out;
}

int THttpSocket::Connect(const std::string& Host, std::uint16_t Port, const TSocketWait& Wait,
                         const THostResolver& Resolver) {
    THostResolution Resolved;
    if (const int E =
            ResolveWithin(Resolver ? Resolver : PlatformResolveHost, Host, Port, Wait, Resolved))
        return E;
    int LastError = HttpErrResolve;
    for (const TResolvedAddress& A : Resolved.Addresses) {
        Close();
        const int Fd = socket(A.Family, A.SocketType | SOCK_CLOEXEC, A.Protocol);
        if (Fd < 0) {
            LastError = errno;
            continue;
        }
        Handle = Fd;
        fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) | O_NONBLOCK);
        if (connect(Fd, reinterpret_cast<const sockaddr*>(A.Address.data()),
                    static_cast<socklen_t>(A.Address.size())) == 0)
            return 0;
        if (errno != EINPROGRESS) {
            LastError = errno;
            continue;
        }
        int Error = 0;
        bool Broken = false;
        const TSocketWaitResult W = WaitWithin(true, Wait, Error, Broken);
        if (W == TSocketWaitResult::Cancelled)
            return HttpErrCancelled;
        if (W == TSocketWaitResult::TimedOut)
            return HttpErrTimeout;
        if (W == TSocketWaitResult::Failed) {
            LastError = Error;
            continue;
        }
        int SoError = 0;
        socklen_t Len = sizeof SoError;
        getsockopt(Fd, SOL_SOCKET, SO_ERROR, &SoError, &Len);
        if (SoError == 0)
            return 0;
        LastError = SoError;
    }
    Close();
    return LastError;
}

TSocketWaitResult THttpSocket::WaitSlice(bool ForWrite, int Milliseconds, int& Error, bool&) {
    pollfd P{static_cast<int>(Handle), static_cast<short>(ForWrite ? POLLOUT : POLLIN), 0};
    const int R = poll(&P, 1, Milliseconds);
    if (R > 0)
        return TSocketWaitResult::Ready;
    if (R == 0 || errno == EINTR)
        return TSocketWaitResult::TimedOut;
    Error = errno;
    return TSocketWaitResult::Failed;
}

TTransferResult THttpSocket::Send(const char* Data, std::size_t Size, std::size_t& Moved,
                                  int& Error) {
    const ssize_t N = send(static_cast<int>(Handle), Data, Size, MSG_NOSIGNAL);
    return Finish(N, Moved, Error);
}

TTransferResult THttpSocket::Receive(char* Data, std::size_t Size, std::size_t& Moved, int& Error) {
    const ssize_t N = recv(static_cast<int>(Handle), Data, Size, 0);
    return Finish(N, Moved, Error);
}
