#include "sound_system.h"

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>

#include <vector>

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

// Locks whichever stream is open; while none is, there is no audio thread to
// keep apart. Unlocks the stream it locked, even if a new one opened between.
class SdlLock final : public AudioLock {
  public:
    explicit SdlLock(const SDL_AudioDeviceID& device) : device_(device) {}
    void lock() override {
        held_.push_back(device_);
        if (held_.back() != 0) SDL_LockAudioDevice(held_.back());
    }
    void unlock() override {
        if (held_.back() != 0) SDL_UnlockAudioDevice(held_.back());
        held_.pop_back();
    }

  private:
    const SDL_AudioDeviceID& device_;
    std::vector<SDL_AudioDeviceID> held_;  // window thread only
};

}  // namespace

SoundSystem::SoundSystem() = default;

std::unique_ptr<SoundSystem> SoundSystem::open(Poster post, std::chrono::milliseconds idleClose) {
    std::unique_ptr<SoundSystem> system(new SoundSystem());
    system->post_ = post;
    snd_lib_error_set_handler(quietAlsa);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tarvo");
    // SDL does not fall back by itself: with no card, play to the dummy
    // driver, which keeps the music's clock running in silence.
    if (!system->openOutput(nullptr) && !system->openOutput("dummy")) return system;

    system->lock_ = std::make_unique<SdlLock>(system->device_);
    system->engine_ = std::make_unique<AudioEngine>(system->sampleRate_, *system->lock_,
                                                    std::move(post), findSoundfont());
    system->idleCloseFrames_ = idleClose.count() * system->sampleRate_ / 1000;
    SoundSystem* self = system.get();
    system->engine_->music().onPlay = [self] { self->reopenOutput(); };
    system->engine_->wave().onPlay = [self] { self->reopenOutput(); };
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
    if (!system->engine_) {
        SDL_memset(stream, 0, bytes);
        return;
    }
    system->engine_->render(out, frames);
    // Long enough with nothing playing (the music's tail has died away too):
    // ask the window's thread to close the stream.
    system->idleFrames_ = system->engine_->idle() ? system->idleFrames_ + frames : 0;
    if (system->idleFrames_ >= system->idleCloseFrames_ && !system->closeAsked_.exchange(true)) {
        system->post_([system, alive = std::weak_ptr<int>(system->alive_)] {
            if (!alive.expired()) system->closeOutputIfIdle();
        });
    }
}

void SoundSystem::closeOutputIfIdle() {
    closeAsked_ = false;
    if (device_ == 0) return;
    SDL_LockAudioDevice(device_);
    const bool idle = engine_->idle() && idleFrames_ >= idleCloseFrames_;
    SDL_UnlockAudioDevice(device_);
    if (!idle) return;
    // Closing waits for the audio thread; it must not hold the lock meanwhile.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
}

void SoundSystem::reopenOutput() {
    if (device_ != 0) return;
    SDL_AudioSpec want{};
    want.freq = sampleRate_;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(bufferFrames_);
    want.callback = &SoundSystem::pull;
    want.userdata = this;
    // The engine renders at the first rate granted: SDL converts if it must.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device_ == 0) return;
    idleFrames_ = 0;
    // Started from the window's thread once the command that asked has
    // returned: until then the stream must not pull from the engine.
    post_([this, alive = std::weak_ptr<int>(alive_), device = device_] {
        if (!alive.expired() && device_ == device) SDL_PauseAudioDevice(device, 0);
    });
}

SoundSystem::~SoundSystem() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    // Closing waits for the audio thread, so the engine is ours alone after it.
    if (engine_) {
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
