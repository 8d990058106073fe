#pragma once
// The music device: a MIDI file sequenced here, sample by sample, into a
// FluidSynth synthesizer. Its position is the audio rendered, its length the
// file's own last event, so the end of a tune is exact and does not depend on
// how long the last notes ring.

#include <vector>

#include "midi_file.h"
#include "sound_device.h"

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace tarvo {

struct FluidLibrary;

class MusicDevice final : public SoundDevice {
  public:
    // Without a soundfont the device never opens a file: it is silent. The
    // synthesizer is built later by loadSynth(); an open tune waits at its
    // place until then.
    MusicDevice(int sampleRate, std::mutex& lock, Poster post, std::string soundfont);
    ~MusicDevice() override;

    // Builds the synthesizer and reads the soundfont. Slow (tens of ms), so
    // any thread may call it, without the lock. If the soundfont does not
    // load, files no longer open, and a tune already open plays on unheard.
    void loadSynth();
    // The tunes this device will open: loadSynth() reads the samples of
    // their instruments with the soundfont. Call before loadSynth().
    void preload(std::vector<std::string> tunes);
    // With no one to hear it (no real output), the tune only keeps its time.
    // With the lock held.
    void setAudible(bool audible);

  private:
    struct TimedEvent {
        int64_t frame;
        MidiEvent event;
    };

    std::optional<int64_t> load(const std::string& path) override;
    void unload() override;
    void seek(int64_t frame) override;
    void halt() override;
    void renderFrames(float* mix, int frames, int64_t frame, bool playing) override;
    bool ready() const override { return synthState_ != SynthState::kLoading; }
    bool continuesAtEnd() const override { return true; }
    void restartAtTop() override;

    // Whether sound is made at all: a synth, and someone to hear it.
    bool sounding() const { return synth_ != nullptr && audible_; }
    void send(const MidiEvent& e);
    void holdInstruments(fluid_synth_t* synth, int soundfont);
    void resetTuneChannels();
    // Sends the controllers and programs of the events before next_.
    void resendSettings();
    void synthesize(float* mix, int frames);

    enum class SynthState { kNone, kLoading, kLoaded };
    const std::string soundfont_;
    SynthState synthState_ = SynthState::kNone;
    bool audible_ = true;
    const FluidLibrary* fluid_ = nullptr;  // set with the synth
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    std::vector<std::string> preloaded_;
    std::vector<TimedEvent> events_;
    size_t next_ = 0;             // first event not yet sent
    int64_t quietFrames_ = 0;     // frames rendered with no voice sounding
    int64_t eventCredit_ = 0;     // frames' worth of events not yet sent
    std::vector<float> scratch_;  // synth output before it is mixed in
};

}  // namespace tarvo
