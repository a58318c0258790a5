#include "tests/helpers/ChildProcMain.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

#include <string>

void WriteTo(TStream Stream, std::string_view Bytes) {
    const int Fd = Stream == TStream::Out ? STDOUT_FILENO : STDERR_FILENO;
    while (!Bytes.empty()) {
        const ssize_t Done = ::write(Fd, Bytes.data(), Bytes.size());
        if (Done < 0) {
            if (errno == EINTR)
                continue;
            _exit(124);
        }
        Bytes.remove_prefix(static_cast<std::size_t>(Done));
    }
}

unsigned long StartGrandchild(bool Flood) {
    const pid_t Pid = ::fork();
    if (Pid == 0) {
        if (Flood) {
            const std::string Block(4096, 'z');
            for (;;)
                WriteTo(TStream::Out, Block);
        }
        ::sleep(3600);
        _exit(0);
    }
    return static_cast<unsigned long>(Pid);
}

void SleepSeconds(unsigned Seconds) {
    ::sleep(Seconds);
}

std::string SignalState() {
    sigset_t Blocked;
    sigprocmask(SIG_BLOCK, nullptr, &Blocked);
    int Count = 0;
    for (int Signal = 1; Signal < NSIG; ++Signal)
        Count += sigismember(&Blocked, Signal) == 1;
    struct sigaction Pipe {};
    sigaction(SIGPIPE, nullptr, &Pipe);
    return "blocked=" + std::to_string(Count) +
           (Pipe.sa_handler == SIG_IGN ? " pipe=ignored" : " pipe=default");
}
