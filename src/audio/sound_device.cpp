#include "sound_device.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <mutex>

namespace tarvo {
namespace {

// How long a tune may go on from its top after its end while the window
// has not yet rewound it; past this the window is not going to.
constexpr int kContinueMs = 250;

bool sameCommand(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

SoundDevice::SoundDevice(int sampleRate, std::mutex& lock, Poster post)
    : sampleRate_(sampleRate), lock_(lock), post_(std::move(post)) {}

SoundDevice::~SoundDevice() = default;

void SoundDevice::Command(std::string_view command) {
    std::lock_guard guard(lock_);
    if (sameCommand(command, "open")) {
        open();
    } else if (!open_) {
        return;  // a device without a file ignores everything else
    } else if (sameCommand(command, "play")) {
        play();
    } else if (sameCommand(command, "pause")) {
        dropContinuation();
        if (playing_) endPlay(kNotifyAborted);
    } else if (sameCommand(command, "stop")) {
        dropContinuation();
        if (playing_) endPlay(kNotifyAborted);
        postStopCompleted();
    } else if (sameCommand(command, "close")) {
        close();
    }
}

void SoundDevice::setFrom(int32_t ms) {
    std::lock_guard guard(lock_);
    if (!open_) return;
    pendingFromMs_ = std::clamp(ms, 0, lengthMs_);
    // Only a rewind to the top can pick up what already played from there.
    if (*pendingFromMs_ != 0) dropContinuation();
}

int32_t SoundDevice::Position() const {
    std::lock_guard guard(lock_);
    if (!open_) return 0;
    if (frame_ >= lengthFrames_) return lengthMs_;
    // Only a finished play may read as the end: the window restarts the tune on it.
    return static_cast<int32_t>(std::min<int64_t>(lengthMs_ - 1, frame_ * 1000 / sampleRate_));
}

int32_t SoundDevice::Length() const {
    std::lock_guard guard(lock_);
    return open_ ? lengthMs_ : 0;
}

void SoundDevice::render(float* mix, int frames) {
    if (!open_ || !ready()) return;
    int played = 0;
    if (playing_) {
        played = static_cast<int>(std::min<int64_t>(frames, lengthFrames_ - frame_));
        renderFrames(mix, played, frame_, true);
        frame_ += played;
        if (frame_ >= lengthFrames_) {
            if (continuesAtEnd()) {
                // The play has ended all the same; only the sound goes on.
                playing_ = false;
                continued_ = 0;
                restartAtTop();
                postDone(kNotifySuccessful);
            } else {
                endPlay(kNotifySuccessful);
            }
        }
    }
    if (continued_ && played < frames) {
        const int64_t limit =
            std::min<int64_t>(lengthFrames_, int64_t{kContinueMs} * sampleRate_ / 1000);
        const int n = static_cast<int>(std::min<int64_t>(frames - played, limit - *continued_));
        renderFrames(mix + 2 * played, n, *continued_, true);
        *continued_ += n;
        played += n;
        if (*continued_ >= limit) dropContinuation();
    }
    if (played < frames) renderFrames(mix + 2 * played, frames - played, frame_, false);
}

void SoundDevice::open() {
    if (open_) close();
    ++opened_;
    const std::optional<int64_t> frames = load(FileName);
    const double ms = frames ? static_cast<double>(*frames) * 1000.0 / sampleRate_ : 0;
    // Positions are 32-bit milliseconds: a longer sound could not say where it is.
    if (!frames || *frames <= 0 || ms > std::numeric_limits<int32_t>::max()) {
        if (frames) unload();
        return;
    }
    open_ = true;
    frame_ = 0;
    lengthFrames_ = *frames;
    lengthMs_ = static_cast<int32_t>(std::max<int64_t>(1, std::llround(ms)));
}

void SoundDevice::close() {
    continued_.reset();
    if (playing_) endPlay(kNotifyAborted);
    unload();
    open_ = false;
    frame_ = lengthFrames_ = 0;
    lengthMs_ = 0;
    pendingFromMs_.reset();
}

void SoundDevice::play() {
    if (onPlay) onPlay();
    if (continued_ && pendingFromMs_ == 0) {
        // The rewind and play the loop asks for: the top is already sounding.
        pendingFromMs_.reset();
        frame_ = *continued_;
        continued_.reset();
        playing_ = true;
        return;
    }
    dropContinuation();
    if (pendingFromMs_) {
        const int32_t ms = *pendingFromMs_;
        pendingFromMs_.reset();
        if (playing_) endPlay(kNotifySuperseded);
        frame_ = ms >= lengthMs_ ? lengthFrames_
                                 : std::min(lengthFrames_, int64_t{ms} * sampleRate_ / 1000);
    } else if (playing_) {
        return;
    }
    // Also on a resume: what a pause let go (held pedals, controllers) holds again.
    seek(frame_);
    playing_ = true;
    // A play from the end ends at once, and says so like any other.
    if (frame_ >= lengthFrames_) endPlay(kNotifySuccessful);
}

void SoundDevice::endPlay(int notifyCode) {
    if (notifyCode == kNotifyAborted && onHalt) onHalt();
    playing_ = false;
    halt();
    postDone(notifyCode);
}

void SoundDevice::dropContinuation() {
    if (!continued_) return;
    continued_.reset();
    halt();
}

void SoundDevice::postDone(int notifyCode) {
    if (!post_) return;
    post_([this, alive = std::weak_ptr<int>(alive_), opened = opened_.load(), notifyCode] {
        if (alive.expired() || opened != opened_) return;
        if (Notify && Done) Done(notifyCode);
    });
}

void SoundDevice::postStopCompleted() {
    if (!post_) return;
    post_([this, alive = std::weak_ptr<int>(alive_), opened = opened_.load()] {
        if (alive.expired() || opened != opened_) return;
        if (StopCompleted) StopCompleted();
    });
}

}  // namespace tarvo
