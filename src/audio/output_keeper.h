#pragma once
// What the sound thread does: keeps an output stream open while there is
// sound to play, and only then. It starts the output (and the synthesizer)
// when asked or at the latest after a while, closes the stream after a quiet
// spell, lets a lost sound server go and looks for one again.
//
// It owns no thread: step() does the work due at a moment of its clock and
// says when it wants to run next, so a test drives it in its own time and the
// sound thread in real time.

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

    // What may be asked of the sound thread, from any thread.
    enum Job : unsigned {
        kStart = 1u << 0,  // the slow part of the start may run now
        kWant = 1u << 1,   // a sound is asked for: have a stream open
        kLost = 1u << 2,   // the stream's server went away
        kQuit = 1u << 3,   // close everything and end
    };
    // What plays the mix now.
    enum class Output { kClosed, kDummy, kReal };

    static constexpr Ms kStartAtLatest{1000};
    // While playing to no one, look for a real output again at most this often...
    static constexpr Ms kProbeInterval{2000};
    // ...and this often after a server was lost, while something should play.
    static constexpr Ms kLostRetry{500};
    // A real stream that pulls nothing for this long while something should
    // play has lost its server, whatever its driver says.
    static constexpr Ms kWatchdog{1000};
    static constexpr Ms kNever = Ms::max();
    // Frames a period: short on a real output, so a card sound is mixed in at
    // the next period; long on the dummy driver, which plays to no one.
    static constexpr int kPeriodFrames = 256;
    static constexpr int kDummyPeriodFrames = 1024;

    // `lock` guards the engine. `makeOutput` runs on the sound thread at the
    // start; it may return nullptr (no output at all).
    OutputKeeper(AudioEngine& engine, std::mutex& lock, MakeOutput makeOutput, Clock clock,
                 Ms idleClose);
    ~OutputKeeper();

    void ask(Job job);
    // A sound may be asked for soon: open the stream and keep it from closing.
    void prepare();
    // Does what is due at `now`; returns when to run next (kNever: when asked).
    Ms step(Ms now);
    // Sound thread: waits until something is asked or `timeout` has passed.
    void waitForJob(Ms timeout);
    // Whether kQuit has been taken by step(): the thread closes and ends.
    bool quitting() const { return quitting_; }
    // Closes the stream and the driver. The sound thread's last work.
    void shutDown();

    // The output's callback: the next frames of the mix. Any thread.
    void pull(float* out, int frames);

    void waitUntilStarted();
    Output output() const { return output_; }
    int periodFrames() const { return periodFrames_; }
    std::string driver() const;

  private:
    static void pullStream(void* self, uint8_t* stream, int bytes);
    unsigned take();
    void openOutput(Ms now);
    bool openStream(Output kind, Ms now);
    void closeStream();
    void letGo();
    bool busy();

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
    std::atomic<Output> output_{Output::kClosed};  // the stream open now
    Output driver_ = Output::kClosed;              // the driver started
    uint32_t stream_ = 0;
    Ms startBy_;
    Ms probedAt_{};
    bool everProbed_ = false;
    bool lostServer_ = false;  // a real output went away and is looked for again
    bool quitting_ = false;

    // Shared with the output's thread.
    std::atomic<uint32_t> liveStream_{0};
    std::atomic<int> periodFrames_{0};
    std::atomic<int64_t> lastPullMs_{0};
    std::atomic<int64_t> lastBusyMs_{0};
    std::atomic<bool> keepAwake_{false};
    bool closing_ = false;  // under lock_: the stream is closing, play nothing
};

}  // namespace tarvo
