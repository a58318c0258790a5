// How work done off the user-interface thread reports back to it: the
// front-end supplies a dispatcher (the Win32 message loop, Qt's event loop, a
// test loop) and Post may be called from any thread.
#pragma once

#include <functional>

class IUiDispatcher {
public:
    virtual ~IUiDispatcher() = default;
    // Queues Work to run later on the user-interface thread. Thread-safe.
    virtual void Post(std::function<void()> Work) = 0;
};
