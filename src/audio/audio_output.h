#pragma once
// Where the mix goes: streams of interleaved stereo float frames, each pulled
// by a callback on a thread of the output's own. PipeWire, PulseAudio or SDL
// in the game (system_output.cpp); a stand-in in the tests of the sound thread.

#include <cstdint>
#include <memory>
#include <string>

namespace tarvo {

class AudioOutput {
  public:
    using Pull = void (*)(void* user, uint8_t* stream, int bytes);

    virtual ~AudioOutput() = default;

    // Starts a driver by name; nullptr lets the system choose (a sound
    // server or a card). False if it cannot.
    virtual bool start(const char* driver) = 0;
    // Closes every stream and lets the driver go.
    virtual void stop() = 0;
    // Opens a stream at `rate` asking for `frames` a period and starts it
    // pulling; 0 if it cannot. `granted` receives the period given.
    virtual uint32_t open(int rate, int frames, Pull pull, void* user, int& granted) = 0;
    // Waits for the stream's thread: as long as its driver does.
    virtual void close(uint32_t stream) = 0;
    // The driver has given the stream up (its server went away). Any thread.
    virtual bool lost(uint32_t stream) const = 0;
    // Whether close() waits for the server to ask for more (SDL's drivers:
    // up to two periods) rather than dropping what the stream has queued.
    virtual bool closeWaits() const { return false; }
    // The driver started, as the system names it ("pulseaudio", "dummy", ...).
    virtual std::string driver() const = 0;
};

// SDL's audio, opened at run time; nullptr without SDL.
std::unique_ptr<AudioOutput> openSdlOutput();
// A PipeWire server's own protocol; nullptr without PipeWire's library.
std::unique_ptr<AudioOutput> openPipeWireOutput();
// A PulseAudio server's own protocol; nullptr without PulseAudio's library.
std::unique_ptr<AudioOutput> openPulseOutput();
// PipeWire or PulseAudio where its server answers, SDL otherwise; nullptr
// without any.
std::unique_ptr<AudioOutput> openSystemOutput();

}  // namespace tarvo
