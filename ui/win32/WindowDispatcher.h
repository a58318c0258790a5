// Delivers work posted from any thread to the user-interface thread's message
// loop, through a private message to a message-only window of its own. Work
// still queued when it is destroyed is dropped; whoever posts must be gone (or
// have stopped posting) by then.
#pragma once

#include "core/UiDispatcher.h"
#include "ui/win32/Win32Handles.h"

#include <deque>
#include <functional>
#include <mutex>

class TWindowDispatcher : public IUiDispatcher {
public:
    // OnError receives what a piece of work throws, so that no exception
    // unwinds through the window procedure.
    explicit TWindowDispatcher(std::function<void(std::exception_ptr)> OnError);
    ~TWindowDispatcher() override;
    TWindowDispatcher(const TWindowDispatcher&) = delete;
    TWindowDispatcher& operator=(const TWindowDispatcher&) = delete;

    void Post(std::function<void()> Work) override;

    // Runs what is queued now; the message loop does this on its own.
    void RunPending();

private:
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

    std::function<void(std::exception_ptr)> OnError;
    std::mutex QueueLock;
    std::deque<std::function<void()>> Queue;
    Win32::TWindow Window;
};
