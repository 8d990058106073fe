#include "wave_device.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "regular_file.h"

namespace tarvo {
namespace {

// A card sound lasts well under a second; refusing long files keeps a wrong
// file from filling memory or holding the window while it is read.
constexpr double kMaxSeconds = 10.0;
// Read in blocks, whatever the header claims: only what the file holds
// takes memory.
constexpr sf_count_t kBlockFrames = 1024;

// The file's first two channels (one for both sides if mono), at its own rate.
std::vector<float> readStereo(SNDFILE* file, const SF_INFO& info) {
    std::vector<float> stereo;
    const bool usable = info.channels > 0 && info.samplerate > 0 && info.frames > 0 &&
                        info.frames <= kMaxSeconds * info.samplerate;
    if (!usable) return stereo;
    std::vector<float> block(static_cast<size_t>(kBlockFrames) * info.channels);
    const int right = std::min(1, info.channels - 1);
    for (sf_count_t left = info.frames; left > 0;) {
        const sf_count_t got = sf_readf_float(file, block.data(), std::min(left, kBlockFrames));
        if (got <= 0) break;
        for (sf_count_t f = 0; f < got; ++f) {
            stereo.push_back(block[f * info.channels]);
            stereo.push_back(block[f * info.channels + right]);
        }
        left -= got;
    }
    return stereo;
}

}  // namespace

std::vector<float> readSoundAsStereo(const std::string& path, int sampleRate) {
    const int fd = openRegularFile(path);
    if (fd < 0) return {};
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_FALSE);
    std::vector<float> raw;
    if (file != nullptr) {
        raw = readStereo(file, info);
        sf_close(file);
    }
    ::close(fd);
    if (raw.empty()) return {};
    // A float file may hold anything: nothing louder than full scale, and
    // silence where a sample is not a number at all.
    for (float& s : raw)
        s = std::isnan(s) ? 0.0f : std::clamp(s, -1.0f, 1.0f);

    const int64_t inFrames = static_cast<int64_t>(raw.size()) / 2;
    if (info.samplerate == sampleRate) return raw;
    // Linear interpolation: enough for a burst of filtered noise.
    const double step = static_cast<double>(info.samplerate) / sampleRate;
    const auto outFrames = static_cast<int64_t>(std::floor((inFrames - 1) / step)) + 1;
    std::vector<float> out(outFrames * 2);
    for (int64_t f = 0; f < outFrames; ++f) {
        const double x = f * step;
        const auto i = static_cast<int64_t>(x);
        const int64_t j = std::min(i + 1, inFrames - 1);
        const auto t = static_cast<float>(x - i);
        for (int side = 0; side < 2; ++side) {
            out[2 * f + side] = raw[2 * i + side] + (raw[2 * j + side] - raw[2 * i + side]) * t;
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
