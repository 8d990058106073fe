#pragma once
// What the sound thread does: keeps an output stream open for each sound
// while it plays, and only then. The music has a stream with a long period,
// cheap for the sound server; the card sound a short one, readied by a press
// so the rustle is mixed in at the next period. It starts the output (and
// the synthesizer) when asked or at the latest after a while, closes a stream
// after a quiet spell, lets a lost sound server go and looks for one again.
//
// It owns no thread: step() does the work due at a moment of its clock and
// says when it wants to run next, so a test drives it in its own time and the
// sound thread in real time.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "audio_engine.h"
#include "audio_output.h"

namespace tarvo {

class OutputKeeper {
  public:
    using Ms = std::chrono::milliseconds;
    using Clock = std::function<Ms()>;
    using MakeOutput = std::function<std::unique_ptr<AudioOutput>()>;

    // The sounds, each with a stream of its own.
    enum class Sound { kMusic, kCard };
    // What may be asked of the sound thread, from any thread.
    enum Job : unsigned {
        kStart = 1u << 0,      // the slow part of the start may run now
        kWantMusic = 1u << 1,  // the music is asked for: have its stream open
        kWantCard = 1u << 2,   // the card sound is, or soon will be
        kLost = 1u << 3,       // a stream's server went away
        kQuit = 1u << 4,       // close everything and end
        kHaltMusic = 1u << 5,  // the music was paused or stopped: silence it now
    };
    // What plays a sound now.
    enum class Output { kClosed, kDummy, kReal };

    static constexpr Ms kStartAtLatest{1000};
    // While playing to no one, look for a real output again at most this often...
    static constexpr Ms kProbeInterval{2000};
    // ...and this often after a server was lost, while something should play.
    static constexpr Ms kLostRetry{500};
    // A real stream that pulls nothing for this long while its sound should
    // play has lost its server, whatever its driver says.
    static constexpr Ms kWatchdog{1000};
    static constexpr Ms kNever = Ms::max();
    // Where closing waits for the server, a halted music's stream closes this
    // much later, unless a play of the same moment has come.
    static constexpr Ms kHaltGrace{10};
    // Frames a period on a real output. The card sound's is short: a rustle is
    // mixed in at the next period, 5.8 ms. The music's is long, 186 ms: each
    // period wakes the sound server. What it queues ahead is never waited
    // for: a pause or stop closes the stream at once, and a play opens a
    // fresh one.
    static constexpr int kCardPeriodFrames = 256;
    static constexpr int kMusicPeriodFrames = 8192;
    // The card sound's short period keeps the sound server busy: its stream
    // closes after this much quiet (or the music's quiet spell if shorter).
    // A press opens it again before the release.
    static constexpr Ms kCardIdleClose{1000};
    // The dummy driver plays to no one: fewer, larger periods.
    static constexpr int kDummyPeriodFrames = 1024;

    // `lock` guards the engine. A stream closes after `idleClose` with its
    // sound quiet (the card sound's sooner). `makeOutput` runs on the sound
    // thread at the start; it may return nullptr (no output at all).
    OutputKeeper(AudioEngine& engine, std::mutex& lock, MakeOutput makeOutput, Clock clock,
                 Ms idleClose);
    ~OutputKeeper();

    void ask(Job job);
    // A card sound may be asked for soon: open its stream and keep it open.
    void prepare();
    // Does what is due at `now`; returns when to run next (kNever: when asked).
    Ms step(Ms now);
    // Sound thread: waits until something is asked or `timeout` has passed.
    void waitForJob(Ms timeout);
    // Whether kQuit has been taken by step(): the thread closes and ends.
    bool quitting() const { return quitting_; }
    // Closes the streams and the driver. The sound thread's last work.
    void shutDown();

    void waitUntilStarted();
    Output output(Sound sound) const { return at(sound).output; }
    // Frames a period of a sound's stream; 0 while closed.
    int periodFrames(Sound sound) const { return at(sound).period; }
    // The driver of the open streams ("pulseaudio", "dummy", ...); empty
    // while none is open.
    std::string driver() const;

    // The output's callbacks: the next frames of a sound. Any thread.
    void pull(Sound sound, float* out, int frames);

  private:
    struct Stream {
        OutputKeeper* keeper = nullptr;
        Sound sound = Sound::kMusic;
        std::atomic<Output> output{Output::kClosed};
        uint32_t id = 0;  // the sound thread's
        std::atomic<uint32_t> live{0};
        std::atomic<int> period{0};
        std::atomic<int64_t> lastPullMs{0};
        std::atomic<int64_t> lastBusyMs{0};
        std::atomic<bool> keepAwake{false};
        bool closing = false;  // under the lock: closing, play nothing
    };

    static void pullStream(void* stream, uint8_t* bytes, int size);
    Stream& at(Sound sound) { return streams_[static_cast<size_t>(sound)]; }
    const Stream& at(Sound sound) const { return streams_[static_cast<size_t>(sound)]; }
    unsigned take();
    bool busy(Sound sound);
    bool anyOpen() const;
    Ms quietSpell(Sound sound) const;
    void openOutputs(Ms now, const std::array<bool, 2>& wanted);
    bool startDriver(Ms now, bool tryReal);
    bool openStream(Stream& stream, Ms now);
    void closeStream(Stream& stream);
    void letGo();

    AudioEngine& engine_;
    std::mutex& lock_;
    MakeOutput makeOutput_;
    const Clock clock_;
    const Ms idleClose_;
    std::unique_ptr<AudioOutput> out_;

    mutable std::mutex jobsMutex_;
    std::condition_variable jobsCv_;
    unsigned pending_ = 0;  // Job bits
    bool started_ = false;
    std::string driverName_;

    // The sound thread's own.
    Output driver_ = Output::kClosed;  // the driver started
    Ms startBy_;
    Ms probedAt_{};
    bool everProbed_ = false;
    bool lostServer_ = false;          // a real output went away and is looked for again
    std::atomic<bool> shared_{false};  // the driver gives one stream: it plays both sounds
    bool quitting_ = false;
    Ms haltCloseAt_ = kNever;  // the music's stream closes then, unless it plays again

    std::array<Stream, 2> streams_;
};

}  // namespace tarvo
