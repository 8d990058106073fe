#pragma once
// One multimedia device as the game drives it: a file name, commands sent by
// name, a start position and position/length in milliseconds, and two
// notifications. The window owns two of them: the music device and the
// card-sound device. No call ever reports an error; a device that could not
// open its file simply does nothing.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarvo {

// Codes passed to Done: the play reached its end, was replaced by a new play,
// or was ended by a pause, a stop or a close.
inline constexpr int kNotifySuccessful = 1;
inline constexpr int kNotifySuperseded = 2;
inline constexpr int kNotifyAborted = 4;

class MciDevice {
  public:
    virtual ~MciDevice() = default;

    // Load options set before opening. Notify asks for Done notifications;
    // TimeFormat 0 means positions are in milliseconds (the only one we use).
    bool Notify = false;
    int32_t TimeFormat = 0;

    // File to open with the next "Open".
    std::string FileName;

    // Carries out one command, compared without regard to case:
    // "Open", "Close", "Play", "pause", "Stop". Unknown commands do nothing.
    virtual void Command(std::string_view command) = 0;

    // Start position of the next "Play" (ms); 0 rewinds. It does not move a
    // sound that is already playing.
    virtual void setFrom(int32_t ms) = 0;

    // Current position and length in ms; both 0 while the device is closed.
    // When a play has reached the end, Position() == Length().
    virtual int32_t Position() const = 0;
    virtual int32_t Length() const = 0;

    // Raised on the window's thread whenever a play ends: by reaching the end,
    // or by pause, stop or a new play (tell an end apart by Position == Length).
    // The code is one of the kNotify constants above.
    std::function<void(int notifyCode)> Done;
    // Raised on the window's thread after a "Stop" has completed.
    std::function<void()> StopCompleted;
};

// The fallback for a machine without audio, and the device before the sound
// system is up: it accepts every command and stays silent at position 0.
class SilentDevice final : public MciDevice {
  public:
    void Command(std::string_view) override {}
    void setFrom(int32_t) override {}
    int32_t Position() const override { return 0; }
    int32_t Length() const override { return 0; }
};

}  // namespace tarvo
