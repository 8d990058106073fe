#pragma once
// The lock that keeps the window's thread and the thread that pulls audio
// apart. The devices take it for every command; whoever pulls audio holds it
// while rendering.

#include <mutex>

namespace tarvo {

class AudioLock {
  public:
    virtual ~AudioLock() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

class MutexAudioLock final : public AudioLock {
  public:
    void lock() override { mutex_.lock(); }
    void unlock() override { mutex_.unlock(); }

  private:
    std::mutex mutex_;
};

}  // namespace tarvo
