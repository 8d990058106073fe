#include "wave_device.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace tarvo {
namespace {

// A card sound lasts well under a second; refusing long files keeps a wrong
// file from filling memory.
constexpr double kMaxSeconds = 60.0;

}  // namespace

std::vector<float> readSoundAsStereo(const std::string& path, int sampleRate) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return {};
    std::vector<float> raw;
    const bool usable = info.channels > 0 && info.samplerate > 0 && info.frames > 0 &&
                        info.frames <= kMaxSeconds * info.samplerate;
    if (usable) {
        raw.resize(static_cast<size_t>(info.frames) * info.channels);
        raw.resize(static_cast<size_t>(sf_readf_float(file, raw.data(), info.frames)) *
                   info.channels);
    }
    sf_close(file);
    if (raw.empty()) return {};
    // A float file may hold anything: nothing louder than full scale, and
    // silence where a sample is not a number at all.
    for (float& s : raw)
        s = std::isnan(s) ? 0.0f : std::clamp(s, -1.0f, 1.0f);

    // Mono goes to both sides; files with more channels keep their first two.
    const int channels = info.channels;
    const int64_t inFrames = static_cast<int64_t>(raw.size()) / channels;
    auto at = [&](int64_t frame, int side) {
        return raw[frame * channels + std::min(side, channels - 1)];
    };
    std::vector<float> out;
    if (info.samplerate == sampleRate) {
        out.resize(inFrames * 2);
        for (int64_t f = 0; f < inFrames; ++f) {
            out[2 * f] = at(f, 0);
            out[2 * f + 1] = at(f, 1);
        }
        return out;
    }
    // Linear interpolation: enough for a burst of filtered noise.
    const double step = static_cast<double>(info.samplerate) / sampleRate;
    const auto outFrames = static_cast<int64_t>(std::floor((inFrames - 1) / step)) + 1;
    out.resize(outFrames * 2);
    for (int64_t f = 0; f < outFrames; ++f) {
        const double x = f * step;
        const auto i = static_cast<int64_t>(x);
        const int64_t j = std::min(i + 1, inFrames - 1);
        const auto t = static_cast<float>(x - i);
        for (int side = 0; side < 2; ++side) {
            out[2 * f + side] = at(i, side) + (at(j, side) - at(i, side)) * t;
        }
    }
    return out;
}

WaveDevice::WaveDevice(int sampleRate, std::mutex& lock, Poster post)
    : SoundDevice(sampleRate, lock, std::move(post)) {}

WaveDevice::~WaveDevice() = default;

std::optional<int64_t> WaveDevice::load(const std::string& path) {
    samples_ = readSoundAsStereo(path, sampleRate());
    if (samples_.empty()) return std::nullopt;
    return static_cast<int64_t>(samples_.size() / 2);
}

void WaveDevice::unload() {
    samples_ = {};
}

void WaveDevice::renderFrames(float* mix, int frames, int64_t frame, bool playing) {
    if (!playing) return;
    const float* from = samples_.data() + 2 * frame;
    for (int i = 0; i < 2 * frames; ++i)
        mix[i] += from[i];
}

}  // namespace tarvo
