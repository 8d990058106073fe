#pragma once
// The card-sound device: a short WAV (or any file libsndfile reads), read
// whole and converted once to the output's rate, stereo float.

#include <vector>

#include "sound_device.h"

namespace tarvo {

class WaveDevice final : public SoundDevice {
  public:
    WaveDevice(int sampleRate, std::mutex& lock, Poster post);
    ~WaveDevice() override;

    // The sound as the output plays it, interleaved stereo; empty while closed.
    const std::vector<float>& samples() const { return samples_; }

  private:
    std::optional<int64_t> load(const std::string& path) override;
    void unload() override;
    void seek(int64_t) override {}
    void halt() override {}
    void renderFrames(float* mix, int frames, int64_t frame, bool playing) override;

    std::vector<float> samples_;
};

// Reads a sound file as interleaved stereo float at `sampleRate`; empty if
// the file cannot be read or holds no sound.
std::vector<float> readSoundAsStereo(const std::string& path, int sampleRate);

}  // namespace tarvo
