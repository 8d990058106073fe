#include "audio_engine.h"

#include <algorithm>

namespace tarvo {

AudioEngine::AudioEngine(int sampleRate, std::mutex& lock, Poster post,
                         const std::string& soundfont)
    : sampleRate_(sampleRate),
      music_(sampleRate, lock, post, soundfont),
      wave_(sampleRate, lock, post) {}

namespace {

template <class... Devices>
void mix(float* out, int frames, Devices&... devices) {
    std::fill(out, out + 2 * frames, 0.0f);
    (devices.render(out, frames), ...);
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

}  // namespace

void AudioEngine::render(float* out, int frames) {
    mix(out, frames, music_, wave_);
}

void AudioEngine::renderMusic(float* out, int frames) {
    mix(out, frames, music_);
}

void AudioEngine::renderCard(float* out, int frames) {
    mix(out, frames, wave_);
}

}  // namespace tarvo
