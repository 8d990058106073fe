#include "output_keeper.h"

#include <algorithm>
#include <utility>

namespace tarvo {
namespace {

constexpr OutputKeeper::Sound kSounds[] = {OutputKeeper::Sound::kMusic, OutputKeeper::Sound::kCard};

OutputKeeper::Job wantOf(OutputKeeper::Sound sound) {
    return sound == OutputKeeper::Sound::kMusic ? OutputKeeper::kWantMusic
                                                : OutputKeeper::kWantCard;
}

}  // namespace

OutputKeeper::OutputKeeper(AudioEngine& engine, std::mutex& lock, MakeOutput makeOutput,
                           Clock clock, Ms idleClose)
    : engine_(engine),
      lock_(lock),
      makeOutput_(std::move(makeOutput)),
      clock_(std::move(clock)),
      idleClose_(idleClose),
      startBy_(clock_() + kStartAtLatest) {
    for (Sound sound : kSounds) {
        at(sound).keeper = this;
        at(sound).sound = sound;
    }
}

OutputKeeper::~OutputKeeper() = default;

void OutputKeeper::ask(Job job) {
    {
        std::lock_guard guard(jobsMutex_);
        pending_ |= job;
    }
    jobsCv_.notify_all();
}

void OutputKeeper::prepare() {
    at(Sound::kCard).keepAwake = true;
    ask(kWantCard);
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

OutputKeeper::Ms OutputKeeper::quietSpell(Sound sound) const {
    return sound == Sound::kMusic || shared_ ? idleClose_ : std::min(idleClose_, kCardIdleClose);
}

bool OutputKeeper::busy(Sound sound) {
    std::lock_guard guard(lock_);
    if (shared_) return !engine_.idle();
    return sound == Sound::kMusic ? engine_.music().Playing() : engine_.wave().Playing();
}

bool OutputKeeper::anyOpen() const {
    return at(Sound::kMusic).output != Output::kClosed ||
           at(Sound::kCard).output != Output::kClosed;
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
        if ((jobs & (kStart | kWantMusic | kWantCard)) == 0 && now < startBy_) return startBy_;
        out_ = makeOutput_();
        engine_.music().loadSynth();
        // The card sound's stream opens now: the first rustle comes soon.
        openOutputs(now, {(jobs & kWantMusic) != 0, true});
        {
            std::lock_guard guard(jobsMutex_);
            started_ = true;
        }
        jobsCv_.notify_all();
    }
    std::array<bool, 2> playing{};
    std::array<bool, 2> wanted{};
    bool lost = (jobs & kLost) != 0;
    for (Sound sound : kSounds) {
        const Stream& stream = at(sound);
        const auto i = static_cast<size_t>(sound);
        playing[i] = busy(sound);
        // A server that went away takes the other stream with it, pulled or not.
        lost =
            lost ||
            (stream.output == Output::kReal &&
             (out_->lost(stream.id) || (playing[i] && now - Ms(stream.lastPullMs) >= kWatchdog)));
    }
    if (lost) {
        // Let the server go entirely, so that the next attempt finds the next one.
        letGo();
        lostServer_ = true;
    }
    // A real server would play out the long period of music queued before a
    // pause or a stop; a play that follows at once gets a fresh stream. Where
    // closing waits for the server (two periods through SDL's PulseAudio), a
    // Play of the same handler (the victory tune after its Stop) may come just
    // after the halt: a moment later, if the music plays again, it goes on in
    // the open stream, heard sooner than a new stream could be.
    bool fresh = false;
    const bool musicOpen = !shared_ && at(Sound::kMusic).output == Output::kReal;
    if ((jobs & kHaltMusic) != 0 && musicOpen && out_->closeWaits()) {
        haltCloseAt_ = now + kHaltGrace;
    } else if ((jobs & kHaltMusic) != 0 && musicOpen) {
        closeStream(at(Sound::kMusic));
        fresh = playing[0];
    }
    if (haltCloseAt_ != kNever && now >= haltCloseAt_) {
        haltCloseAt_ = kNever;
        if (musicOpen && !playing[0]) closeStream(at(Sound::kMusic));
    }
    const bool retry = lostServer_ && now - probedAt_ >= kLostRetry;
    for (Sound sound : kSounds) {
        Stream& stream = at(sound);
        const auto i = static_cast<size_t>(sound);
        if (stream.output != Output::kClosed && !playing[i] && !stream.keepAwake &&
            now - Ms(stream.lastBusyMs) >= quietSpell(sound)) {
            closeStream(stream);
        }
        wanted[i] = stream.output != Output::kReal &&
                    ((jobs & wantOf(sound)) != 0 || (retry && playing[i]) ||
                     (fresh && sound == Sound::kMusic));
    }
    if (wanted[0] || wanted[1]) openOutputs(now, wanted);

    // When to look again: a quiet spell's end, the watchdog, the next retry.
    Ms next = kNever;
    for (Sound sound : kSounds) {
        const Stream& stream = at(sound);
        if (stream.output == Output::kClosed) continue;
        const bool on = playing[static_cast<size_t>(sound)];
        next = std::min(next, on ? now + quietSpell(sound)
                                 : std::max(now, Ms(stream.lastBusyMs) + quietSpell(sound)));
        if (stream.output == Output::kReal && on) {
            next = std::min(next, std::max(now, Ms(stream.lastPullMs) + kWatchdog));
        }
    }
    next = std::min(next, haltCloseAt_);
    const bool onDummy =
        at(Sound::kMusic).output != Output::kReal && at(Sound::kCard).output != Output::kReal;
    if (lostServer_ && onDummy && (playing[0] || playing[1]))
        next = std::min(next, probedAt_ + kLostRetry);
    return next;
}

void OutputKeeper::openOutputs(Ms now, const std::array<bool, 2>& wanted) {
    if (out_ == nullptr) return;
    const Ms interval = lostServer_ ? kLostRetry : kProbeInterval;
    if (driver_ == Output::kDummy && (!everProbed_ || now - probedAt_ >= interval)) letGo();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (driver_ == Output::kClosed && !startDriver(now, attempt == 0)) return;
        bool failed = false;
        for (Sound sound : kSounds) {
            Stream& stream = at(sound);
            const auto i = static_cast<size_t>(sound);
            // A new driver takes over every sound still under way.
            const bool due = wanted[i] || (stream.output == Output::kClosed && busy(sound));
            if (stream.output != Output::kClosed || !due || (shared_ && anyOpen())) continue;
            const bool other = anyOpen();
            if (openStream(stream, now)) continue;
            // Some drivers (SDL's dummy among them) give one stream only: it
            // mixes both sounds then.
            if (other) {
                shared_ = true;
            } else {
                failed = true;
            }
        }
        if (!failed) return;
        // A driver that starts but opens nothing: the dummy then.
        letGo();
    }
}

bool OutputKeeper::startDriver(Ms now, bool tryReal) {
    if (tryReal) {
        probedAt_ = now;
        everProbed_ = true;
    }
    // The system's own choice does not fall back by itself: with no real
    // output, play to the dummy driver, which keeps the music's clock running.
    if (tryReal && out_->start(nullptr)) {
        // SDL_AUDIODRIVER=dummy makes the system's choice the dummy as well.
        driver_ = out_->driver() == "dummy" ? Output::kDummy : Output::kReal;
    } else if (out_->start("dummy")) {
        driver_ = Output::kDummy;
    }
    return driver_ != Output::kClosed;
}

bool OutputKeeper::openStream(Stream& stream, Ms now) {
    const bool music = stream.sound == Sound::kMusic;
    const int frames = driver_ == Output::kDummy ? kDummyPeriodFrames
                       : music                   ? kMusicPeriodFrames
                                                 : kCardPeriodFrames;
    {
        std::lock_guard guard(lock_);
        if (music) engine_.music().setAudible(driver_ == Output::kReal);
        stream.closing = false;
    }
    stream.lastPullMs = now.count();
    stream.lastBusyMs = now.count();
    int granted = 0;
    const uint32_t id =
        out_->open(engine_.sampleRate(), frames, &OutputKeeper::pullStream, &stream, granted);
    if (id == 0) return false;
    stream.id = id;
    stream.live = id;
    stream.period = granted;
    stream.output = driver_;
    // Found again: the next loss starts the half-second search anew.
    if (driver_ == Output::kReal) lostServer_ = false;
    std::lock_guard guard(jobsMutex_);
    driverName_ = out_->driver();
    return true;
}

void OutputKeeper::closeStream(Stream& stream) {
    if (stream.output == Output::kClosed) return;
    {
        std::lock_guard guard(lock_);
        stream.closing = true;
    }
    // Closing waits for the output's thread; it must not hold the lock meanwhile.
    out_->close(stream.id);
    stream.id = 0;
    stream.live = 0;
    stream.period = 0;
    stream.output = Output::kClosed;
    if (at(Sound::kMusic).output == Output::kClosed && at(Sound::kCard).output == Output::kClosed) {
        std::lock_guard guard(jobsMutex_);
        driverName_.clear();
    }
}

void OutputKeeper::letGo() {
    for (Sound sound : kSounds)
        closeStream(at(sound));
    if (driver_ != Output::kClosed) out_->stop();
    driver_ = Output::kClosed;
    shared_ = false;
}

void OutputKeeper::shutDown() {
    if (out_ != nullptr) letGo();
    out_.reset();
}

void OutputKeeper::pullStream(void* stream, uint8_t* bytes, int size) {
    auto* s = static_cast<Stream*>(stream);
    s->keeper->pull(s->sound, reinterpret_cast<float*>(bytes),
                    size / static_cast<int>(2 * sizeof(float)));
}

void OutputKeeper::pull(Sound sound, float* out, int frames) {
    Stream& stream = at(sound);
    const Ms now = clock_();
    stream.lastPullMs = now.count();
    std::lock_guard guard(lock_);
    if (stream.closing) {
        std::fill(out, out + 2 * frames, 0.0f);
        return;
    }
    // A stream whose server went away is still pulled on the driver's own
    // timer, for nobody: stop, and have it let go.
    if (out_->lost(stream.live)) {
        std::fill(out, out + 2 * frames, 0.0f);
        stream.closing = true;
        ask(kLost);
        return;
    }
    bool playing = false;
    bool awake = stream.keepAwake.exchange(false);
    if (shared_) {
        engine_.render(out, frames);
        playing = !engine_.idle();
        awake = at(Sound::kCard).keepAwake.exchange(false) || awake;
    } else if (sound == Sound::kMusic) {
        engine_.renderMusic(out, frames);
        playing = engine_.music().Playing();
    } else {
        engine_.renderCard(out, frames);
        playing = engine_.wave().Playing();
    }
    if (awake || playing) stream.lastBusyMs = now.count();
}

}  // namespace tarvo
