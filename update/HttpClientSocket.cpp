#include "update/HttpClientSocket.h"

#include "update/HttpClient.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {
// How often a wait looks at the cancel flag, as the socket waits do.
constexpr auto Slice = std::chrono::milliseconds(50);

// What the helper and the waiting request share. Each holds it, so whichever
// lets go last frees it: a request that gives up never waits for the helper.
struct TPendingResolution {
    std::mutex Mutex;
    std::condition_variable Finished;
    bool Done = false;
    THostResolution Result;
};
} // namespace

TSocketWaitResult THttpSocket::WaitWithin(bool ForWrite, const TSocketWait& Wait, int& Error,
                                          bool& Broken) {
    for (;;) {
        if (Wait.Cancelled && Wait.Cancelled->load())
            return TSocketWaitResult::Cancelled;
        const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Wait.Deadline -
                                                                                THttpClock::now());
        if (Left.count() <= 0)
            return TSocketWaitResult::TimedOut;
        const TSocketWaitResult R =
            WaitSlice(ForWrite, static_cast<int>(std::min(Left, Slice).count()), Error, Broken);
        if (R != TSocketWaitResult::TimedOut)
            return R;
    }
}

int THttpSocket::WaitReady(bool ForWrite, const TSocketWait& Wait) {
    int Error = 0;
    bool Broken = false;
    switch (WaitWithin(ForWrite, Wait, Error, Broken)) {
    case TSocketWaitResult::Ready:
        return 0;
    case TSocketWaitResult::TimedOut:
        return HttpErrTimeout;
    case TSocketWaitResult::Cancelled:
        return HttpErrCancelled;
    case TSocketWaitResult::Failed:
        break;
    }
    return Error;
}

int ResolveWithin(const THostResolver& Resolver, const std::string& Host, std::uint16_t Port,
                  const TSocketWait& Wait, THostResolution& Out) {
    auto Pending = std::make_shared<TPendingResolution>();
    try {
        std::thread([Pending, Resolver, Host, Port] {
            THostResolution Result;
            try {
                Result = Resolver(Host, Port);
            } catch (...) {
                Result = THostResolution{HttpErrResolve, {}};
            }
            std::lock_guard<std::mutex> Lock(Pending->Mutex);
            Pending->Result = std::move(Result);
            Pending->Done = true;
            Pending->Finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return HttpErrResolve; // no thread to be had
    }
    std::unique_lock<std::mutex> Lock(Pending->Mutex);
    for (;;) {
        if (Wait.Cancelled && Wait.Cancelled->load())
            return HttpErrCancelled;
        const auto Now = THttpClock::now();
        if (Now >= Wait.Deadline)
            return HttpErrTimeout;
        if (Pending->Finished.wait_until(Lock, std::min(Wait.Deadline, Now + Slice),
                                         [&] { return Pending->Done; }))
            break;
    }
    Out = std::move(Pending->Result);
    return Out.Error;
}
