#pragma once
// The solver's own thread, at the lowest priority, so that the window's
// thread never waits for a search. It starts on first use. The newest table
// replaces a pending one and cancels a running search for an older one.
// Answers come on the worker's thread: the window posts them to its own.

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "solver/hint.h"
#include "solver/winnable_deal.h"

namespace tarvo::solver {

struct HintJob {
    uint64_t generation = 0;  // the caller's count of table changes
    Position now;
    std::vector<Position> earlier;  // one move back first, the deal last
};

class SolverWorker {
  public:
    using HintDone = std::function<void(uint64_t generation, const Hint&)>;
    // nullopt when no deal of many was proven won (or at shutdown).
    using DealDone = std::function<void(std::optional<Deck>)>;

    SolverWorker(HintDone hintDone, DealDone dealDone);
    // Cancels the search under way and waits for the thread: a few thousand
    // nodes at most.
    ~SolverWorker();
    SolverWorker(const SolverWorker&) = delete;
    SolverWorker& operator=(const SolverWorker&) = delete;

    void Feed(HintJob job);
    void AskDeal(uint64_t seed);
    bool Started() const { return started_; }

  private:
    static void* Main(void* self);
    void Start();
    void Run();

    HintDone hintDone_;
    DealDone dealDone_;
    pthread_t thread_{};
    bool started_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<HintJob> hint_;
    std::optional<uint64_t> dealSeed_;
    bool quit_ = false;
    std::atomic<bool> cancelHint_{false};
    std::atomic<bool> cancelAll_{false};
};

}  // namespace tarvo::solver
