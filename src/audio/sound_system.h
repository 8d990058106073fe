#pragma once
// The game's sound: the music device (MMC1) and the card-sound device (MMCw),
// each played through an output stream of its own. The window creates one at
// load and destroys it at unload; only one may exist at a time.
//
// The devices work from the first moment: their commands, positions and
// lengths are theirs. Everything slow (reading the soundfont, probing the
// audio drivers, opening and closing the streams) happens on a thread of the
// system's own, so the window's thread never waits for the sound, not even
// at the end.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio_output.h"
#include "mci_device.h"
#include "output_keeper.h"
#include "poster.h"

namespace tarvo {

class SoundSystem {
  public:
    struct Options {
        // With nothing played for this long the output is closed, so an idle
        // game costs no CPU at all; the next play or prepare() opens it again.
        std::chrono::milliseconds idleClose{4000};
        // How long the end waits for the sound thread to close the output.
        // A sound server that has stopped answering holds it for ever.
        std::chrono::milliseconds quitWait{100};
        // Called when the sound thread is left behind at the end: nothing it
        // uses is freed, and by default the process ends at once, status 0,
        // without running exit handlers under the stalled thread.
        std::function<void()> leftBehind{};
        // The output; by default SDL's.
        OutputKeeper::MakeOutput makeOutput{};
    };

    // Never fails and never prints: without an audio device it plays to
    // SDL's dummy driver (silent, the tunes keep their time); if even that
    // fails the devices stay where they are. Without a soundfont the music
    // device stays silent. `post` delivers notifications on the window's
    // thread; it is called from the audio thread too.
    static std::unique_ptr<SoundSystem> open(Poster post, Options options);
    static std::unique_ptr<SoundSystem> open(Poster post) { return open(std::move(post), {}); }
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    MciDevice& music();  // MMC1: MIDI tunes
    MciDevice& wave();   // MMCw: the card rustle

    // A sound is about to be asked for (a button went down on a card): have
    // the output running by then. Returns at once.
    void prepare();

    // The window is on screen: the slow part of the start (the soundfont,
    // the drivers) may run now without holding up its first paint. It also
    // runs at the first play or prepare(), and at the latest after
    // OutputKeeper::kStartAtLatest. Returns at once.
    void start();

    // The tunes the music device may open: the start reads their
    // instruments with the soundfont. Before start().
    void preloadTunes(std::vector<std::string> tunes);

    // Starts, and blocks until the first attempt at an output has been made.
    // For tests and benchmarks; the game never waits.
    void waitUntilStarted();

    // The rate the devices render at; the streams as granted: frames per
    // callback of the card sound's and of the music's (0 while closed), and
    // the driver's name ("alsa", "pulseaudio", "dummy", ... or empty while
    // both are closed).
    int sampleRate() const;
    int bufferFrames() const;
    int musicBufferFrames() const;
    std::string driver() const;
    // Whether a stream is open now (each closes when idle).
    bool outputOpen() const;

  private:
    struct Core;
    SoundSystem(std::shared_ptr<Core> core, Options options);

    // Shared with the sound thread, which may outlive this object.
    std::shared_ptr<Core> core_;
    Options options_;
    std::thread thread_;
};

}  // namespace tarvo
