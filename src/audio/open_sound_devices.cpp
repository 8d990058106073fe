#include "audio/sound_devices.h"

namespace tarvo {

std::unique_ptr<SoundDevices> OpenSoundDevices(Poster) {
    return std::make_unique<SilentSoundDevices>();
}

}  // namespace tarvo
