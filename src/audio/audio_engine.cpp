#include "audio_engine.h"

#include <algorithm>

namespace tarvo {

AudioEngine::AudioEngine(int sampleRate, std::mutex& lock, Poster post,
                         const std::string& soundfont)
    : sampleRate_(sampleRate),
      music_(sampleRate, lock, post, soundfont),
      wave_(sampleRate, lock, post) {}

void AudioEngine::render(float* out, int frames) {
    std::fill(out, out + 2 * frames, 0.0f);
    music_.render(out, frames);
    wave_.render(out, frames);
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

}  // namespace tarvo
