#pragma once
// An audio output kept in memory, with a manual clock: each pull of N frames
// is N frames of time passing. For tests and for rendering our tunes to files.
// The soundfont is read before the constructor returns.

#include <vector>

#include "audio_engine.h"

namespace tarvo {

class MemoryOutput {
  public:
    MemoryOutput(int sampleRate, Poster post, const std::string& soundfont);

    MusicDevice& music() { return engine_.music(); }
    WaveDevice& wave() { return engine_.wave(); }
    int sampleRate() const { return engine_.sampleRate(); }

    // The next `frames` frames of the mix, interleaved stereo.
    std::vector<float> pull(int frames);

  private:
    std::mutex lock_;
    AudioEngine engine_;
};

}  // namespace tarvo
