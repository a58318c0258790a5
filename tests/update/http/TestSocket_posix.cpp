#include "tests/update/http/TestSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

TTestSocket ListenOnLoopback(std::uint16_t& Port) {
    // A client that hangs up mid-reply must not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    const int S = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (S < 0 || bind(S, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 || listen(S, 16) != 0) {
        if (S >= 0)
            close(S);
        throw std::runtime_error("test server cannot listen");
    }
    socklen_t Len = sizeof A;
    getsockname(S, reinterpret_cast<sockaddr*>(&A), &Len);
    Port = ntohs(A.sin_port);
    return S;
}

TTestSocket AcceptClient(TTestSocket Listener) {
    const int Client = accept(static_cast<int>(Listener), nullptr, nullptr);
    return Client < 0 ? NoTestSocket : Client;
}

void CloseTestSocket(TTestSocket Socket) {
    close(static_cast<int>(Socket));
}

void EndSending(TTestSocket Socket) {
    shutdown(static_cast<int>(Socket), SHUT_WR);
}

void MakeNonBlocking(TTestSocket Socket) {
    const int S = static_cast<int>(Socket);
    fcntl(S, F_SETFL, fcntl(S, F_GETFL) | O_NONBLOCK);
}

bool WaitSocketReady(TTestSocket Socket, bool ForWrite, int Ms) {
    pollfd P{static_cast<int>(Socket), static_cast<short>(ForWrite ? POLLOUT : POLLIN), 0};
    return poll(&P, 1, Ms) > 0;
}

int SendSome(TTestSocket Socket, const char* Data, std::size_t Size) {
    return static_cast<int>(send(static_cast<int>(Socket), Data, Size, 0));
}

int ReceiveSome(TTestSocket Socket, char* Data, std::size_t Size) {
    return static_cast<int>(recv(static_cast<int>(Socket), Data, Size, 0));
}

bool LastCallWouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}
