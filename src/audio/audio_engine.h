#pragma once
// The two devices and their mix, free of any audio output: whoever owns the
// output pulls frames with render() while holding the lock.

#include <string>

#include "music_device.h"
#include "wave_device.h"

namespace tarvo {

class AudioEngine {
  public:
    AudioEngine(int sampleRate, std::mutex& lock, Poster post, const std::string& soundfont);

    int sampleRate() const { return sampleRate_; }
    MusicDevice& music() { return music_; }
    WaveDevice& wave() { return wave_; }

    // Fills `out` with `frames` interleaved stereo frames: the music plus the
    // card sound, clipped to [-1, 1]. Call with the lock held.
    void render(float* out, int frames);
    // The same for one device alone, each with a stream of its own.
    void renderMusic(float* out, int frames);
    void renderCard(float* out, int frames);

    // Neither device is playing (a tail may still ring).
    bool idle() const { return !music_.Playing() && !wave_.Playing(); }

  private:
    const int sampleRate_;
    MusicDevice music_;
    WaveDevice wave_;
};

}  // namespace tarvo
