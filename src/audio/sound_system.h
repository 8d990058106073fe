#pragma once
// The game's sound: one audio output stream that mixes the music device
// (MMC1) and the card-sound device (MMCw). The window creates one at load and
// destroys it at unload; only one may exist at a time.
//
// The devices work from the first moment: their commands, positions and
// lengths are theirs. Everything slow (reading the soundfont, probing the
// audio drivers, opening and closing the stream) happens on a thread of the
// system's own, so the window's thread never waits for the sound.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio_engine.h"
#include "mci_device.h"
#include "poster.h"

namespace tarvo {

struct SdlLibrary;

class SoundSystem {
  public:
    // Never fails and never prints: without an audio device it plays to
    // SDL's dummy driver (silent, the tunes keep their time); if even that
    // fails the devices stay where they are. Without a soundfont the music
    // device stays silent. `post` delivers notifications on the window's
    // thread; it is called from the audio thread too.
    //
    // With nothing played for `idleClose` the output is closed, so an idle
    // game costs no CPU at all; the next play or prepare() opens it again.
    static std::unique_ptr<SoundSystem> open(
        Poster post, std::chrono::milliseconds idleClose = kIdleCloseDefault);
    static constexpr std::chrono::milliseconds kIdleCloseDefault{4000};
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    MciDevice& music() { return engine_.music(); }  // MMC1: MIDI tunes
    MciDevice& wave() { return engine_.wave(); }    // MMCw: the card rustle

    // A sound is about to be asked for (a button went down on a card): have
    // the output running by then. Returns at once.
    void prepare();

    // The window is on screen: the slow part of the start (the soundfont,
    // the drivers) may run now without holding up its first paint. It also
    // runs at the first play or prepare(), and at the latest after
    // kStartAtLatest. Returns at once.
    void start();
    static constexpr std::chrono::milliseconds kStartAtLatest{1000};

    // Starts, and blocks until the first attempt at an output has been made.
    // For tests and benchmarks; the game never waits.
    void waitUntilStarted();

    // The rate the devices render at; the output as granted: frames per
    // callback (0 while closed) and SDL's driver name ("alsa", "pulseaudio",
    // "dummy", ... or empty while closed).
    int sampleRate() const { return engine_.sampleRate(); }
    int bufferFrames() const { return bufferFrames_; }
    std::string driver() const;
    // Whether the output stream is open now (it closes when idle).
    bool outputOpen() const { return bufferFrames_ != 0; }

  private:
    SoundSystem(Poster post, std::chrono::milliseconds idleClose);

    // The output thread and what it does.
    void run();
    void openOutput();
    bool openDevice(const char* driver);
    void closeDevice();
    void closeIfIdle();
    void ask(bool SoundSystem::*job);

    // SDL's audio thread.
    static void pull(void* self, uint8_t* stream, int bytes);
    void renderOrNotice(float* out, int frames);

    MutexAudioLock lock_;
    AudioEngine engine_;
    const int64_t idleCloseFrames_;

    // Jobs for the output thread, under jobsMutex_.
    mutable std::mutex jobsMutex_;
    std::condition_variable jobsCv_;
    bool wantOutput_ = false;
    bool idleSeen_ = false;
    bool lost_ = false;
    bool quit_ = false;
    bool go_ = false;
    bool started_ = false;
    std::string driver_;

    // The output thread's own.
    const SdlLibrary* sdl_ = nullptr;  // set before any output opens
    uint32_t device_ = 0;
    bool sdlUp_ = false;
    bool dummy_ = false;
    std::chrono::steady_clock::time_point probed_{};

    // Under lock_: the stream is about to close and must not play on.
    bool closing_ = false;
    // Audio thread's own (read under lock_ by closeIfIdle).
    int64_t idleFrames_ = 0;
    bool told_ = false;
    std::atomic<bool> keepAwake_{false};
    std::atomic<uint32_t> liveDevice_{0};
    std::atomic<int> bufferFrames_{0};

    std::thread thread_;
};

}  // namespace tarvo
