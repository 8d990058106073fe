#pragma once
// What the audio tests share: a window thread stand-in that queues posted
// notifications, scratch files, and sound files written on the spot.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "poster.h"

namespace tarvo::test {

inline constexpr int kRate = 44100;

inline std::string soundFile(const std::string& name) {
    return std::string(TARVO_SOUNDS_DIR) + "/" + name;
}

// Notifications wait here until the test lets the "window" run them.
class WindowQueue {
  public:
    // The real output posts from its audio thread.
    Poster poster() {
        return [this](std::function<void()> f) {
            std::lock_guard guard(mutex_);
            queue_.push_back(std::move(f));
        };
    }
    size_t pending() const {
        std::lock_guard guard(mutex_);
        return queue_.size();
    }
    void drain() {
        for (;;) {
            std::vector<std::function<void()>> now;
            {
                std::lock_guard guard(mutex_);
                now.swap(queue_);
            }
            if (now.empty()) return;
            for (auto& f : now)
                f();
        }
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::function<void()>> queue_;
};

// A folder of its own for each test, removed afterwards.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Writes 16-bit PCM; `samples` interleaved for `channels` channels.
void writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate, int channels);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A one-track MIDI file (format 0) around the given track events.
std::vector<uint8_t> midiFile(uint16_t ticksPerQuarter, const std::vector<uint8_t>& track);

// Collects what the process writes to stderr while it lives.
class StderrCapture {
  public:
    explicit StderrCapture(const std::string& path);
    std::string finish();

  private:
    std::string path_;
    int saved_;
};

// Root mean square of interleaved samples.
double rms(const std::vector<float>& samples);

}  // namespace tarvo::test
