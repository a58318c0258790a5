// The tests' user-interface thread: work posted from any thread runs when the
// test thread turns the loop, as a window's message loop would run it.
#pragma once

#include "core/UiDispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class TTestLoop : public IUiDispatcher {
public:
    void Post(std::function<void()> Work) override {
        {
            std::lock_guard<std::mutex> Lock(Mutex);
            Queue.push_back(std::move(Work));
        }
        Ready.notify_all();
    }

    // Runs posted work until Done answers true; false when the safety net
    // (far above any expected duration) runs out first.
    bool RunUntil(const std::function<bool()>& Done,
                  std::chrono::milliseconds SafetyNet = std::chrono::seconds(30)) {
        const auto Deadline = std::chrono::steady_clock::now() + SafetyNet;
        while (!Done()) {
            std::function<void()> Work;
            {
                std::unique_lock<std::mutex> Lock(Mutex);
                if (!Ready.wait_until(Lock, Deadline, [this] { return !Queue.empty(); }))
                    return false;
                Work = std::move(Queue.front());
                Queue.pop_front();
            }
            Work();
        }
        return true;
    }

    // Waits, without running it, until some work is queued.
    bool WaitPosted(std::chrono::milliseconds SafetyNet = std::chrono::seconds(30)) {
        std::unique_lock<std::mutex> Lock(Mutex);
        return Ready.wait_for(Lock, SafetyNet, [this] { return !Queue.empty(); });
    }

    // Runs whatever is queued now, without waiting.
    void RunPending() {
        for (;;) {
            std::function<void()> Work;
            {
                std::lock_guard<std::mutex> Lock(Mutex);
                if (Queue.empty())
                    return;
                Work = std::move(Queue.front());
                Queue.pop_front();
            }
            Work();
        }
    }

private:
    std::mutex Mutex;
    std::condition_variable Ready;
    std::deque<std::function<void()>> Queue;
};
