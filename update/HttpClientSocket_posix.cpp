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
// Waits are cut into slices so that a released client ends its worker soon.
constexpr int SliceMs = 50;

struct TAddrInfoDeleter {
    void operator()(addrinfo* Info) const { freeaddrinfo(Info); }
};

int PollOnce(int Fd, short Events, const TSocketWait& Wait, short& Revents) {
    for (;;) {
        if (Wait.Cancelled->load())
            return HttpErrCancelled;
        const auto Left =
            std::chrono::duration_cast<std::chrono::milliseconds>(Wait.Deadline - THttpClock::now())
                .count();
        if (Left <= 0)
            return HttpErrTimeout;
        pollfd P{Fd, Events, 0};
        const int R = poll(&P, 1, static_cast<int>(std::min<long long>(Left, SliceMs)));
        if (R < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (R > 0) {
            Revents = P.revents;
            return 0;
        }
    }
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
        short Revents = 0;
        const int W = PollOnce(Fd, POLLOUT, Wait, Revents);
        if (W == HttpErrCancelled || W == HttpErrTimeout)
            return W;
        if (W != 0) {
            LastError = W;
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

int THttpSocket::WaitReady(bool ForWrite, const TSocketWait& Wait) {
    short Revents = 0;
    return PollOnce(static_cast<int>(Handle), ForWrite ? POLLOUT : POLLIN, Wait, Revents);
}

long THttpSocket::Send(const char* Data, std::size_t Size, int& Error) {
    const ssize_t N = send(static_cast<int>(Handle), Data, Size, MSG_NOSIGNAL);
    if (N >= 0)
        return static_cast<long>(N);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return -1;
    Error = errno;
    return -2;
}

long THttpSocket::Receive(char* Data, std::size_t Size, int& Error) {
    const ssize_t N = recv(static_cast<int>(Handle), Data, Size, 0);
    if (N >= 0)
        return static_cast<long>(N);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return -1;
    Error = errno;
    return -2;
}
