#include "audio_output.h"
#include "sound_libraries.h"

namespace tarvo {
namespace {

// Without a sound card ALSA explains at length on stderr why it cannot open
// one. The game has nothing to tell the player about that.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

class SdlOutput final : public AudioOutput {
  public:
    explicit SdlOutput(const SdlLibrary& sdl) : sdl_(sdl) {
        sdl_.SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tarvo");
    }
    ~SdlOutput() override {
        if (up_) sdl_.SDL_AudioQuit();
        // SDL keeps its error text per thread, freed only for threads of its own.
        sdl_.SDL_TLSCleanup();
    }

    bool start(const char* driver) override {
        if (up_) stop();
        up_ = sdl_.SDL_AudioInit(driver) == 0;
        return up_;
    }
    void stop() override {
        if (up_) sdl_.SDL_AudioQuit();
        up_ = false;
    }
    uint32_t open(int rate, int frames, Pull pull, void* user, int& granted) override {
        SDL_AudioSpec want{};
        want.freq = rate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = static_cast<Uint16>(frames);
        want.callback = pull;
        want.userdata = user;
        SDL_AudioSpec have{};
        // The devices render at our rate; SDL converts if the device wants another.
        const SDL_AudioDeviceID stream =
            sdl_.SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        if (stream == 0) return 0;
        granted = have.samples;
        sdl_.SDL_PauseAudioDevice(stream, 0);
        return stream;
    }
    void close(uint32_t stream) override { sdl_.SDL_CloseAudioDevice(stream); }
    bool lost(uint32_t stream) const override {
        return sdl_.SDL_GetAudioDeviceStatus(stream) == SDL_AUDIO_STOPPED;
    }
    bool closeWaits() const override { return true; }
    std::string driver() const override {
        const char* name = up_ ? sdl_.SDL_GetCurrentAudioDriver() : nullptr;
        return name != nullptr ? name : "";
    }

  private:
    const SdlLibrary& sdl_;
    bool up_ = false;
};

}  // namespace

std::unique_ptr<AudioOutput> openSdlOutput() {
    if (const AlsaLibrary* alsa = Alsa()) alsa->snd_lib_error_set_handler(quietAlsa);
    const SdlLibrary* sdl = Sdl();
    if (sdl == nullptr) return nullptr;
    return std::make_unique<SdlOutput>(*sdl);
}

}  // namespace tarvo
