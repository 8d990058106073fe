#pragma once
// The game's sound: one audio output stream that mixes the music device
// (MMC1) and the card-sound device (MMCw). The window creates one at load and
// destroys it at unload; only one may exist at a time.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "mci_device.h"
#include "poster.h"

namespace tarvo {

class AudioEngine;
class AudioLock;

class SoundSystem {
  public:
    // Never fails and never prints: without an audio device it uses SDL's
    // dummy driver (silent, in real time); if even that fails the devices are
    // silent stand-ins. Without a soundfont the music device stays silent.
    // `post` delivers notifications on the window's thread; it is called from
    // the audio thread too.
    //
    // With nothing played for `idleClose` the output is closed, so an idle
    // game costs no CPU at all; the next play opens it again.
    static std::unique_ptr<SoundSystem> open(
        Poster post, std::chrono::milliseconds idleClose = kIdleCloseDefault);
    static constexpr std::chrono::milliseconds kIdleCloseDefault{4000};
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    MciDevice& music();  // MMC1: MIDI tunes
    MciDevice& wave();   // MMCw: the card rustle

    // The output as granted: frames per second and per buffer (0 without
    // output), and SDL's driver name ("alsa", "dummy", ... or empty).
    int sampleRate() const { return sampleRate_; }
    int bufferFrames() const { return bufferFrames_; }
    const std::string& driver() const { return driver_; }
    // Whether the output stream is open now (it closes when idle).
    bool outputOpen() const { return device_ != 0; }

  private:
    SoundSystem();
    bool openOutput(const char* driver);
    // Opens the stream again with the rate and size first granted; it starts
    // once the command that asked for it has returned.
    void reopenOutput();
    void closeOutputIfIdle();
    static void pull(void* self, uint8_t* stream, int bytes);

    uint32_t device_ = 0;
    Poster post_;
    int64_t idleCloseFrames_ = 0;
    // Audio thread only.
    int64_t idleFrames_ = 0;
    std::atomic<bool> closeAsked_{false};
    // Posted calls may outlive the system: they only run while this is alive.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    int sampleRate_ = 0;
    int bufferFrames_ = 0;
    std::string driver_;
    std::unique_ptr<AudioLock> lock_;
    std::unique_ptr<AudioEngine> engine_;
    SilentDevice silentMusic_;
    SilentDevice silentWave_;
};

}  // namespace tarvo
