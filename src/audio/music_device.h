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

class MusicDevice final : public SoundDevice {
  public:
    // Without a loadable soundfont the device never opens a file: it is silent.
    MusicDevice(int sampleRate, AudioLock& lock, Poster post, const std::string& soundfont);
    ~MusicDevice() override;

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

    void send(const MidiEvent& e);
    void synthesize(float* mix, int frames);

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    std::vector<TimedEvent> events_;
    size_t next_ = 0;             // first event not yet sent
    int64_t quietFrames_ = 0;     // frames rendered with no voice sounding
    std::vector<float> scratch_;  // synth output before it is mixed in
};

}  // namespace tarvo
