#include "output_keeper.h"

#include <algorithm>
#include <utility>

namespace tarvo {

OutputKeeper::OutputKeeper(AudioEngine& engine, std::mutex& lock, MakeOutput makeOutput,
                           Clock clock, Ms idleClose)
    : engine_(engine),
      lock_(lock),
      makeOutput_(std::move(makeOutput)),
      clock_(std::move(clock)),
      idleClose_(idleClose),
      startBy_(clock_() + kStartAtLatest) {}

OutputKeeper::~OutputKeeper() = default;

void OutputKeeper::ask(Job job) {
    {
        std::lock_guard guard(jobsMutex_);
        pending_ |= job;
    }
    jobsCv_.notify_all();
}

void OutputKeeper::prepare() {
    keepAwake_ = true;
    ask(kWant);
}

unsigned OutputKeeper::take() {
    std::lock_guard guard(jobsMutex_);
    return std::exchange(pending_, 0u);
}

void OutputKeeper::waitForJob(Ms timeout) {
    std::unique_lock guard(jobsMutex_);
    if (timeout == kNever) {
        jobsCv_.wait(guard, [this] { return pending_ != 0; });
    } else {
        jobsCv_.wait_for(guard, timeout, [this] { return pending_ != 0; });
    }
}

void OutputKeeper::waitUntilStarted() {
    ask(kStart);
    std::unique_lock guard(jobsMutex_);
    jobsCv_.wait(guard, [this] { return started_; });
}

std::string OutputKeeper::driver() const {
    std::lock_guard guard(jobsMutex_);
    return driverName_;
}

bool OutputKeeper::busy() {
    std::lock_guard guard(lock_);
    return !engine_.idle();
}

OutputKeeper::Ms OutputKeeper::step(Ms now) {
    const unsigned jobs = take();
    if ((jobs & kQuit) != 0) {
        quitting_ = true;
        return kNever;
    }
    if (!started_) {
        // Loading the soundfont and the drivers while the window builds and
        // maps itself slows it by a third on two cores: wait for it.
        if ((jobs & (kStart | kWant)) == 0 && now < startBy_) return startBy_;
        out_ = makeOutput_();
        engine_.music().loadSynth();
        openOutput(now);
        {
            std::lock_guard guard(jobsMutex_);
            started_ = true;
        }
        jobsCv_.notify_all();
    }
    const bool playing = busy();
    const Ms lastPull{lastPullMs_.load()};
    if ((jobs & kLost) != 0 ||
        (output_ == Output::kReal && playing && now - lastPull >= kWatchdog)) {
        // Let the server go entirely, so that the next attempt finds the next one.
        letGo();
        lostServer_ = true;
    } else if (output_ != Output::kClosed && !playing &&
               now - Ms(lastBusyMs_.load()) >= idleClose_ && !keepAwake_) {
        closeStream();
    }
    if (!playing) lostServer_ = false;
    const bool retry = lostServer_ && output_ != Output::kReal && now - probedAt_ >= kLostRetry;
    if (((jobs & kWant) != 0 && output_ != Output::kReal) || retry) openOutput(now);

    // When to look again: the quiet spell's end, the watchdog, the next retry.
    Ms next = kNever;
    if (output_ != Output::kClosed) {
        next = playing ? now + idleClose_ : std::max(now, Ms(lastBusyMs_.load()) + idleClose_);
    }
    if (output_ == Output::kReal && playing) {
        next = std::min(next, std::max(now, Ms(lastPullMs_.load()) + kWatchdog));
    }
    if (lostServer_ && output_ != Output::kReal) next = std::min(next, probedAt_ + kLostRetry);
    return next;
}

void OutputKeeper::openOutput(Ms now) {
    if (out_ == nullptr || output_ == Output::kReal) return;
    const Ms interval = lostServer_ ? kLostRetry : kProbeInterval;
    const bool probeDue = !everProbed_ || now - probedAt_ >= interval;
    if (driver_ == Output::kReal) {
        // The stream closed when idle; the driver is still up.
        if (openStream(Output::kReal, now)) return;
        letGo();
    } else if (driver_ == Output::kDummy) {
        if (!probeDue) {
            if (output_ == Output::kClosed) openStream(Output::kDummy, now);
            return;
        }
        letGo();
    }
    probedAt_ = now;
    everProbed_ = true;
    // The system's own choice does not fall back by itself: with no real
    // output, play to the dummy driver, which keeps the music's clock running.
    for (const char* name : {static_cast<const char*>(nullptr), "dummy"}) {
        if (!out_->start(name)) continue;
        driver_ = name == nullptr ? Output::kReal : Output::kDummy;
        if (openStream(driver_, now)) return;
        letGo();
    }
}

bool OutputKeeper::openStream(Output kind, Ms now) {
    int granted = 0;
    const int frames = kind == Output::kDummy ? kDummyPeriodFrames : kPeriodFrames;
    {
        std::lock_guard guard(lock_);
        engine_.music().setAudible(kind == Output::kReal);
        closing_ = false;
    }
    lastPullMs_ = now.count();
    lastBusyMs_ = now.count();
    const uint32_t stream =
        out_->open(engine_.sampleRate(), frames, &OutputKeeper::pullStream, this, granted);
    if (stream == 0) return false;
    stream_ = stream;
    liveStream_ = stream;
    periodFrames_ = granted;
    output_ = kind;
    std::lock_guard guard(jobsMutex_);
    driverName_ = out_->driver();
    return true;
}

void OutputKeeper::closeStream() {
    if (output_ == Output::kClosed) return;
    {
        std::lock_guard guard(lock_);
        closing_ = true;
    }
    // Closing waits for the output's thread; it must not hold the lock meanwhile.
    out_->close(stream_);
    stream_ = 0;
    liveStream_ = 0;
    periodFrames_ = 0;
    output_ = Output::kClosed;
    std::lock_guard guard(jobsMutex_);
    driverName_.clear();
}

void OutputKeeper::letGo() {
    closeStream();
    if (driver_ != Output::kClosed) out_->stop();
    driver_ = Output::kClosed;
}

void OutputKeeper::shutDown() {
    if (out_ != nullptr) letGo();
    out_.reset();
}

void OutputKeeper::pullStream(void* self, uint8_t* stream, int bytes) {
    static_cast<OutputKeeper*>(self)->pull(reinterpret_cast<float*>(stream),
                                           bytes / static_cast<int>(2 * sizeof(float)));
}

void OutputKeeper::pull(float* out, int frames) {
    const Ms now = clock_();
    lastPullMs_ = now.count();
    std::lock_guard guard(lock_);
    if (closing_) {
        std::fill(out, out + 2 * frames, 0.0f);
        return;
    }
    // A stream whose server went away is still pulled on the driver's own
    // timer, for nobody: stop, and have it let go.
    if (out_->lost(liveStream_)) {
        std::fill(out, out + 2 * frames, 0.0f);
        closing_ = true;
        ask(kLost);
        return;
    }
    engine_.render(out, frames);
    if (keepAwake_.exchange(false) || !engine_.idle()) lastBusyMs_ = now.count();
}

}  // namespace tarvo
