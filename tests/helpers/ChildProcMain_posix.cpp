#include "ChildProcMain.h"

#include <cerrno>
#include <unistd.h>

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

unsigned long StartGrandchild() {
    const pid_t Pid = ::fork();
    if (Pid == 0) {
        ::sleep(3600);
        _exit(0);
    }
    return static_cast<unsigned long>(Pid);
}

void SleepSeconds(unsigned Seconds) {
    ::sleep(Seconds);
}
