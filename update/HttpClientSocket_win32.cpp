#include "update/HttpClientSocket.h"

#include "update/HttpClient.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <memory>

namespace {
struct TAddrInfoDeleter {
    void operator()(addrinfo* Info) const { freeaddrinfo(Info); }
};

SOCKET AsSocket(std::intptr_t Handle) {
    return static_cast<SOCKET>(Handle);
}

// What a send or recv answered.
TTransferResult Finish(int N, std::size_t& Moved, int& Error) {
    if (N != SOCKET_ERROR) {
        Moved = static_cast<std::size_t>(N);
        return TTransferResult::Moved;
    }
    const int E = WSAGetLastError();
    if (E == WSAEWOULDBLOCK)
        return TTransferResult::WouldBlock;
    Error = E;
    return TTransferResult::Failed;
}
} // namespace

THttpSocket::THttpSocket() : Handle(static_cast<std::intptr_t>(INVALID_SOCKET)) {
    WSADATA Data;
    NetworkStarted = WSAStartup(MAKEWORD(2, 2), &Data) == 0;
}

THttpSocket::~THttpSocket() {
    Close();
    if (NetworkStarted)
        WSACleanup();
}

void THttpSocket::Close() {
    if (AsSocket(Handle) != INVALID_SOCKET) {
        closesocket(AsSocket(Handle));
        Handle = static_cast<std::intptr_t>(INVALID_SOCKET);
    }
}

int THttpSocket::Descriptor() const {
    // OpenSSL takes a SOCKET as int; Windows keeps socket values below 2^31.
    return static_cast<int>(Handle);
}

THostResolution PlatformResolveHost(const std::string& Host, std::uint16_t Port) {
    // A helper thread may outlive the socket that asked, so it holds Winsock
    // for itself.
    WSADATA Data;
    if (WSAStartup(MAKEWORD(2, 2), &Data) != 0)
        return {WSANOTINITIALISED, {}};
    addrinfo Hints{};
    Hints.ai_family = AF_UNSPEC;
    Hints.ai_socktype = SOCK_STREAM;
    Hints.ai_protocol = IPPROTO_TCP;
    addrinfo* Raw = nullptr;
    const std::string Service = std::to_string(Port);
    THostResolution Out;
    if (const int Gai = getaddrinfo(Host.c_str(), Service.c_str(), &Hints, &Raw)) {
        Out.Error = Gai;
    } else {
        std::unique_ptr<addrinfo, TAddrInfoDeleter> List(Raw);
        for (const addrinfo* A = List.get(); A; A = A->ai_next) {
            const auto* Bytes = reinterpret_cast<const unsigned char*>(A->ai_addr);
            Out.Addresses.push_back(
                {A->ai_family, A->ai_socktype, A->ai_protocol, {Bytes, Bytes + A->ai_addrlen}});
        }
    }
    WSACleanup();
    return Out;
}

int THttpSocket::Connect(const std::string& Host, std::uint16_t Port, const TSocketWait& Wait,
                         const THostResolver& Resolver) {
    if (!NetworkStarted)
        return WSANOTINITIALISED;
    THostResolution Resolved;
    if (const int E =
            ResolveWithin(Resolver ? Resolver : PlatformResolveHost, Host, Port, Wait, Resolved))
        return E;
    int LastError = WSAHOST_NOT_FOUND;
    for (const TResolvedAddress& A : Resolved.Addresses) {
        Close();
        const SOCKET S = socket(A.Family, A.SocketType, A.Protocol);
        if (S == INVALID_SOCKET) {
            LastError = WSAGetLastError();
            continue;
        }
        Handle = static_cast<std::intptr_t>(S);
        u_long NonBlocking = 1;
        ioctlsocket(S, FIONBIO, &NonBlocking);
        if (connect(S, reinterpret_cast<const sockaddr*>(A.Address.data()),
                    static_cast<int>(A.Address.size())) == 0)
            return 0;
        const int E = WSAGetLastError();
        if (E != WSAEWOULDBLOCK) {
            LastError = E;
            continue;
        }
        int Error = 0;
        bool Failed = false;
        const TSocketWaitResult W = WaitWithin(true, Wait, Error, Failed);
        if (W == TSocketWaitResult::Cancelled)
            return HttpErrCancelled;
        if (W == TSocketWaitResult::TimedOut)
            return HttpErrTimeout;
        if (W == TSocketWaitResult::Failed) {
            LastError = Error;
            continue;
        }
        int SoError = 0;
        int Len = sizeof SoError;
        getsockopt(S, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&SoError), &Len);
        if (!Failed && SoError == 0)
            return 0;
        LastError = SoError != 0 ? SoError : WSAECONNREFUSED;
    }
    Close();
    return LastError;
}

// A refused connection shows in the except set.
TSocketWaitResult THttpSocket::WaitSlice(bool ForWrite, int Milliseconds, int& Error,
                                         bool& Broken) {
    const SOCKET S = AsSocket(Handle);
    fd_set Ready;
    fd_set Except;
    FD_ZERO(&Ready);
    FD_ZERO(&Except);
    FD_SET(S, &Ready);
    FD_SET(S, &Except);
    timeval Tv{static_cast<long>(Milliseconds / 1000),
               static_cast<long>((Milliseconds % 1000) * 1000)};
    const int R = select(0, ForWrite ? nullptr : &Ready, ForWrite ? &Ready : nullptr, &Except, &Tv);
    if (R == SOCKET_ERROR) {
        Error = WSAGetLastError();
        return TSocketWaitResult::Failed;
    }
    if (R == 0)
        return TSocketWaitResult::TimedOut;
    Broken = FD_ISSET(S, &Except) != 0;
    return TSocketWaitResult::Ready;
}

TTransferResult THttpSocket::Send(const char* Data, std::size_t Size, std::size_t& Moved,
                                  int& Error) {
    const int N =
        send(AsSocket(Handle), Data, static_cast<int>(std::min<std::size_t>(Size, 1 << 20)), 0);
    return Finish(N, Moved, Error);
}

TTransferResult THttpSocket::Receive(char* Data, std::size_t Size, std::size_t& Moved, int& Error) {
    const int N =
        recv(AsSocket(Handle), Data, static_cast<int>(std::min<std::size_t>(Size, 1 << 20)), 0);
    return Finish(N, Moved, Error);
}
