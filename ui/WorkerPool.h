// Work that runs off the user-interface thread, each piece on a thread of its
// own, with its ending handed back to the user-interface thread through the
// window's dispatcher.
#pragma once

#include "core/UiDispatcher.h"

#include <functional>
#include <map>
#include <memory>
#include <thread>

class TWorkerPool {
public:
    explicit TWorkerPool(IUiDispatcher& Dispatcher);
    // Waits for the work still running (a signing tool is never cut short);
    // what it posts afterwards is dropped.
    ~TWorkerPool();
    TWorkerPool(const TWorkerPool&) = delete;
    TWorkerPool& operator=(const TWorkerPool&) = delete;

    // Runs Work on a new thread, then Done on the user-interface thread.
    // Work must not throw. Called on the user-interface thread.
    void Start(std::function<void()> Work, std::function<void()> Done);
    // Queues Step for the user-interface thread; dropped once the pool is
    // gone. Thread-safe.
    void Post(std::function<void()> Step);
    // Pieces started whose Done has not run yet.
    int Running() const { return static_cast<int>(Threads.size()); }

private:
    IUiDispatcher& Dispatcher;
    // Read and written on the user-interface thread only.
    std::shared_ptr<bool> Alive = std::make_shared<bool>(true);
    std::map<int, std::thread> Threads;
    int NextId = 0;
};
