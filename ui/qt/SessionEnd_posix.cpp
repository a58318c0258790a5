#include "ui/qt/SessionEnd.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr std::array<int, 3> Signals = {SIGTERM, SIGINT, SIGHUP};

// The write end of the self-pipe: a signal handler can reach nothing else.
volatile std::sig_atomic_t PipeWriteEnd = -1;

void OnSignal(int) {
    const char Byte = 1;
    if (PipeWriteEnd >= 0) [[maybe_unused]]
        const ssize_t Written = write(PipeWriteEnd, &Byte, 1);
}
} // namespace

struct TSessionEnd::TImpl {
    int Pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> Notifier;
    std::array<struct sigaction, Signals.size()> Previous{};
    bool Installed = false;

    ~TImpl() {
        if (Installed) {
            for (size_t I = 0; I < Signals.size(); ++I)
                sigaction(Signals[I], &Previous[I], nullptr);
            PipeWriteEnd = -1;
        }
        Notifier.reset();
        for (int Fd : Pipe)
            if (Fd >= 0)
                close(Fd);
    }
};

TSessionEnd::TSessionEnd(std::function<void()> OnEnd) : Impl(std::make_unique<TImpl>()) {
    if (pipe2(Impl->Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the signals keep their default meaning
    Impl->Notifier = std::make_unique<QSocketNotifier>(Impl->Pipe[0], QSocketNotifier::Read);
    QObject::connect(Impl->Notifier.get(), &QSocketNotifier::activated,
                     [Fd = Impl->Pipe[0], OnEnd = std::move(OnEnd)] {
                         char Drain[16];
                         while (read(Fd, Drain, sizeof Drain) > 0) {
                         }
                         OnEnd();
                     });
    PipeWriteEnd = Impl->Pipe[1];
    struct sigaction Action {};
    Action.sa_handler = OnSignal;
    sigemptyset(&Action.sa_mask);
    // Back to the default after the first signal, so a second one is not held
    // up by a window that refuses to close.
    Action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (size_t I = 0; I < Signals.size(); ++I)
        sigaction(Signals[I], &Action, &Impl->Previous[I]);
    Impl->Installed = true;
}

TSessionEnd::~TSessionEnd() = default;
