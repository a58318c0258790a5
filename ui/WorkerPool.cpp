#include "ui/WorkerPool.h"

TWorkerPool::TWorkerPool(IUiDispatcher& Dispatcher) : Dispatcher(Dispatcher) {}

TWorkerPool::~TWorkerPool() {
    *Alive = false;
    for (auto& [Id, Thread] : Threads)
        Thread.join();
}

void TWorkerPool::Start(std::function<void()> Work, std::function<void()> Done) {
    const int Id = NextId++;
    auto Finish = [this, Id, Done = std::move(Done)] {
        const auto Found = Threads.find(Id);
        if (Found != Threads.end()) {
            // The thread has posted this as its last act: the join is short.
            Found->second.join();
            Threads.erase(Found);
        }
        Done();
    };
    Threads.emplace(
        Id, std::thread([this, Work = std::move(Work), Finish = std::move(Finish)]() mutable {
            Work();
            Post(std::move(Finish));
        }));
}

void TWorkerPool::Post(std::function<void()> Step) {
    Dispatcher.Post([Alive = Alive, Step = std::move(Step)] {
        if (*Alive)
            Step();
    });
}
