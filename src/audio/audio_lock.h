#pragma once
// The lock that keeps the window's thread and the thread that pulls audio
// apart. The devices take it for every command; whoever pulls audio holds it
// while rendering (SDL does so around its callback).

namespace tarvo {

class AudioLock {
  public:
    virtual ~AudioLock() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

}  // namespace tarvo
