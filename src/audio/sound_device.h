#pragma once
// What the music and the card-sound devices share: the command set, the
// start position, position and length, and the notifications. Subclasses
// supply the sound itself.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <mutex>
#include "mci_device.h"
#include "poster.h"

namespace tarvo {

class SoundDevice : public MciDevice {
  public:
    SoundDevice(int sampleRate, std::mutex& lock, Poster post);
    ~SoundDevice() override;

    void Command(std::string_view command) override;
    void setFrom(int32_t ms) override;
    int32_t Position() const override;
    int32_t Length() const override;

    // Whether a play is under way. Audio thread with the lock held, or window thread.
    bool Playing() const { return playing_; }
    // Called on the window's thread, inside the command, for every "Play" on
    // an open device, playing or not: the output may have to be opened again.
    std::function<void()> onPlay;
    // Called inside a pause, stop or close that ends a play: what the output
    // has queued ahead of the player need not be heard.
    std::function<void()> onHalt;

    // Adds this device's sound for the next `frames` stereo frames to `mix`
    // (interleaved left/right). Audio thread, with the lock held.
    void render(float* mix, int frames);

  protected:
    // Loads a file; returns its length in frames at the output rate, or
    // nothing if it cannot be played. Called with the lock held, as are all below.
    virtual std::optional<int64_t> load(const std::string& path) = 0;
    virtual void unload() = 0;
    // The next play starts at `frame`, not where the last one stopped.
    virtual void seek(int64_t frame) = 0;
    // A play has ended, at its end or not: let sounding notes die away.
    virtual void halt() = 0;
    // Adds `frames` frames to `mix`. While `playing`, the sound advances from
    // `frame`; otherwise only what still rings after a halt is heard.
    virtual void renderFrames(float* mix, int frames, int64_t frame, bool playing) = 0;
    // False while the sound cannot be made yet: the play waits where it is.
    virtual bool ready() const { return true; }
    // Whether a play that reaches its end goes straight on from the top in
    // the output, to be kept if the window rewinds and plays at once (the
    // music loop) and dropped otherwise. restartAtTop() readies that.
    virtual bool continuesAtEnd() const { return false; }
    virtual void restartAtTop() {}

    int sampleRate() const { return sampleRate_; }
    std::mutex& audioLock() { return lock_; }

  private:
    void open();
    void close();
    void play();
    void endPlay(int notifyCode);
    void dropContinuation();
    void postDone(int notifyCode);
    void postStopCompleted();

    const int sampleRate_;
    std::mutex& lock_;
    Poster post_;
    // Notifications posted to the window may outlive the device: they only
    // run while this is alive.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);

    // Counts the files opened: a notification posted for one file is dropped
    // once another has been opened, so it cannot rewind the new one.
    std::atomic<uint32_t> opened_{0};

    bool open_ = false;
    bool playing_ = false;
    // After an end, the frames already played from the top, not yet committed.
    std::optional<int64_t> continued_;
    int64_t frame_ = 0;
    int64_t lengthFrames_ = 0;
    int32_t lengthMs_ = 0;
    std::optional<int32_t> pendingFromMs_;
};

}  // namespace tarvo
