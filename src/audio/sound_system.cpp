#include "sound_system.h"

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>

#include "audio_engine.h"
#include "soundfont.h"

namespace tarvo {
namespace {

constexpr int kWantedRate = 44100;
// 1024 frames at 44.1 kHz: 23 ms from a card's release to its rustle.
constexpr int kBufferFrames = 1024;

// Without a sound card ALSA explains at length on stderr why it cannot open
// one. The game has nothing to tell the player about that.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

class SdlLock final : public AudioLock {
  public:
    explicit SdlLock(SDL_AudioDeviceID device) : device_(device) {}
    void lock() override { SDL_LockAudioDevice(device_); }
    void unlock() override { SDL_UnlockAudioDevice(device_); }

  private:
    SDL_AudioDeviceID device_;
};

}  // namespace

SoundSystem::SoundSystem() = default;

std::unique_ptr<SoundSystem> SoundSystem::open(Poster post) {
    std::unique_ptr<SoundSystem> system(new SoundSystem());
    snd_lib_error_set_handler(quietAlsa);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tarvo");
    // SDL does not fall back by itself: with no card, play to the dummy
    // driver, which keeps the music's clock running in silence.
    if (!system->openOutput(nullptr) && !system->openOutput("dummy")) return system;

    system->lock_ = std::make_unique<SdlLock>(system->device_);
    system->engine_ = std::make_unique<AudioEngine>(system->sampleRate_, *system->lock_,
                                                    std::move(post), findSoundfont());
    SDL_PauseAudioDevice(system->device_, 0);
    return system;
}

bool SoundSystem::openOutput(const char* driver) {
    if (SDL_AudioInit(driver) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = kWantedRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = &SoundSystem::pull;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) {
        SDL_AudioQuit();
        return false;
    }
    sampleRate_ = have.freq;
    bufferFrames_ = have.samples;
    const char* name = SDL_GetCurrentAudioDriver();
    driver_ = name != nullptr ? name : "";
    return true;
}

// SDL's audio thread, with the device lock held.
void SoundSystem::pull(void* self, uint8_t* stream, int bytes) {
    auto* system = static_cast<SoundSystem*>(self);
    auto* out = reinterpret_cast<float*>(stream);
    const int frames = bytes / static_cast<int>(2 * sizeof(float));
    if (system->engine_) {
        system->engine_->render(out, frames);
    } else {
        SDL_memset(stream, 0, bytes);
    }
}

SoundSystem::~SoundSystem() {
    if (device_ != 0) {
        // Closing waits for the audio thread, so the engine is ours alone after it.
        SDL_CloseAudioDevice(device_);
        engine_.reset();
        SDL_AudioQuit();
    }
}

MciDevice& SoundSystem::music() {
    if (engine_) return engine_->music();
    return silentMusic_;
}

MciDevice& SoundSystem::wave() {
    if (engine_) return engine_->wave();
    return silentWave_;
}

}  // namespace tarvo
