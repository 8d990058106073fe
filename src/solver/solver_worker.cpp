#include "solver/solver_worker.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <memory>

namespace tarvo::solver {

namespace {

// The search recurses once per move of a line (see solver.h), and a hint
// searches the history's positions in the same thread.
constexpr size_t kWorkerStackBytes = size_t{16} << 20;
// Deals shuffled for one winnable deal before giving up; about one in ten is lost.
constexpr int kDealTries = 200;

// Only idle time: a game on a busy machine must not stutter for a hint.
void LowestPriority() {
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
}

}  // namespace

SolverWorker::SolverWorker(HintDone hintDone, DealDone dealDone)
    : hintDone_(std::move(hintDone)), dealDone_(std::move(dealDone)) {}

SolverWorker::~SolverWorker() {
    if (!started_) return;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        cancelHint_ = true;
        cancelAll_ = true;
    }
    wake_.notify_one();
    pthread_join(thread_, nullptr);
}

void SolverWorker::Start() {
    if (started_) return;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kWorkerStackBytes);
    started_ = pthread_create(&thread_, &attr, &SolverWorker::Main, this) == 0;
    pthread_attr_destroy(&attr);
}

void SolverWorker::Feed(HintJob job) {
    {
        std::lock_guard lock(mutex_);
        hint_ = std::move(job);
        cancelHint_ = true;
    }
    Start();
    wake_.notify_one();
}

void SolverWorker::AskDeal(uint64_t seed) {
    {
        std::lock_guard lock(mutex_);
        dealSeed_ = seed;
    }
    Start();
    wake_.notify_one();
}

void* SolverWorker::Main(void* self) {
    LowestPriority();
    static_cast<SolverWorker*>(self)->Run();
    return nullptr;
}

void SolverWorker::Run() {
    auto hints = std::make_unique<HintFinder>(
        Options{.nodeBudget = kHintBudgetNodes, .cancel = &cancelHint_});
    std::unique_ptr<Solver> deals;
    for (;;) {
        std::optional<HintJob> job;
        std::optional<uint64_t> seed;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quit_ || hint_ || dealSeed_; });
            if (quit_) return;
            // A deal asked for goes first: the player waits for it.
            if (dealSeed_) {
                seed = dealSeed_;
                dealSeed_.reset();
            } else {
                job = std::move(hint_);
                hint_.reset();
                cancelHint_ = false;
            }
        }
        if (seed) {
            if (!deals) {
                deals = std::make_unique<Solver>(
                    Options{.nodeBudget = kDealBudgetNodes, .cancel = &cancelAll_});
            }
            auto deck = FindWinnableDeck(*deals, *seed, kDealTries, &cancelAll_);
            if (!cancelAll_) dealDone_(deck);
            continue;
        }
        const Hint hint = hints->Find(job->now, job->earlier);
        // A newer table has come: this answer is stale.
        if (!cancelHint_) hintDone_(job->generation, hint);
    }
}

}  // namespace tarvo::solver
