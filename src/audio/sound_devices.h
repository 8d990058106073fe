#pragma once
// The two sound devices the window plays through: MMC1 the music (MIDI),
// MMCw the card sound (WAV).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/mci_device.h"
#include "audio/poster.h"

namespace tarvo {

class SoundDevices {
  public:
    virtual ~SoundDevices() = default;
    virtual MciDevice& music() = 0;
    virtual MciDevice& wave() = 0;
    // A card sound may be asked for soon (a button went down): have the
    // output ready by then. Cheap, and returns at once.
    virtual void PrepareOutput() {}
    // The window has been painted: slow preparations may begin. Returns at once.
    virtual void Start() {}
    // The tunes the music device may open: their instruments are read with
    // the soundfont, not at their first notes. Before Start().
    virtual void PreloadTunes(std::vector<std::string>) {}
};

// The real devices, or silent ones where this machine cannot play: never fails.
std::unique_ptr<SoundDevices> OpenSoundDevices(Poster post);

// Two devices that accept everything and play nothing.
class SilentSoundDevices final : public SoundDevices {
  public:
    MciDevice& music() override { return music_; }
    MciDevice& wave() override { return wave_; }

  private:
    SilentDevice music_;
    SilentDevice wave_;
};

}  // namespace tarvo
