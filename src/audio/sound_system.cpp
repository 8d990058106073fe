#include "sound_system.h"

#include <algorithm>
#include <utility>

#include "sound_libraries.h"
#include "soundfont.h"

namespace tarvo {
namespace {

constexpr int kRate = 44100;
// 256 frames at 44.1 kHz, 5.8 ms: a card sound is mixed in at the next
// callback and the driver holds about one more such period.
constexpr int kPeriodFrames = 256;
// The dummy driver plays to no one: fewer, larger callbacks.
constexpr int kDummyPeriodFrames = 1024;
// While playing to no one, look for a real output again at most this often.
constexpr auto kProbeInterval = std::chrono::seconds(2);

// Without a sound card ALSA explains at length on stderr why it cannot open
// one. The game has nothing to tell the player about that.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

std::unique_ptr<SoundSystem> SoundSystem::open(Poster post, std::chrono::milliseconds idleClose) {
    std::unique_ptr<SoundSystem> system(new SoundSystem(std::move(post), idleClose));
    system->thread_ = std::thread([self = system.get()] { self->run(); });
    return system;
}

SoundSystem::SoundSystem(Poster post, std::chrono::milliseconds idleClose)
    : engine_(kRate, lock_, std::move(post), findSoundfont()),
      idleCloseFrames_(idleClose.count() * kRate / 1000) {
    // Called inside the command: only a note for the output thread.
    auto wanted = [this] { ask(&SoundSystem::wantOutput_); };
    engine_.music().onPlay = wanted;
    engine_.wave().onPlay = wanted;
}

SoundSystem::~SoundSystem() {
    ask(&SoundSystem::quit_);
    thread_.join();
}

void SoundSystem::prepare() {
    keepAwake_ = true;
    ask(&SoundSystem::wantOutput_);
}

void SoundSystem::start() {
    ask(&SoundSystem::go_);
}

void SoundSystem::waitUntilStarted() {
    start();
    std::unique_lock guard(jobsMutex_);
    jobsCv_.wait(guard, [this] { return started_; });
}

std::string SoundSystem::driver() const {
    std::lock_guard guard(jobsMutex_);
    return driver_;
}

void SoundSystem::ask(bool SoundSystem::*job) {
    {
        std::lock_guard guard(jobsMutex_);
        this->*job = true;
    }
    jobsCv_.notify_all();
}

void SoundSystem::run() {
    {
        // Loading the soundfont and the drivers while the window builds and
        // maps itself slows it by a third on two cores: wait for it.
        std::unique_lock guard(jobsMutex_);
        jobsCv_.wait_for(guard, kStartAtLatest, [this] { return go_ || wantOutput_ || quit_; });
        if (quit_) return;
    }
    if (const AlsaLibrary* alsa = Alsa()) alsa->snd_lib_error_set_handler(quietAlsa);
    // Without SDL there is no output at all: the devices keep their commands.
    sdl_ = Sdl();
    if (sdl_ != nullptr) sdl_->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tarvo");
    engine_.music().loadSynth();
    openOutput();
    std::unique_lock guard(jobsMutex_);
    started_ = true;
    jobsCv_.notify_all();
    for (;;) {
        jobsCv_.wait(guard, [this] { return quit_ || wantOutput_ || idleSeen_ || lost_; });
        if (quit_) break;
        const bool want = std::exchange(wantOutput_, false);
        const bool idle = std::exchange(idleSeen_, false);
        const bool lost = std::exchange(lost_, false);
        guard.unlock();
        if (lost) {
            // The server went away: let go of it entirely, so that a later
            // play finds the next one.
            closeDevice();
            sdl_->SDL_AudioQuit();
            sdlUp_ = false;
        } else if (idle) {
            closeIfIdle();
        }
        if (want && (device_ == 0 || dummy_)) openOutput();
        guard.lock();
    }
    guard.unlock();
    closeDevice();
    if (sdlUp_) sdl_->SDL_AudioQuit();
    // SDL keeps its error text per thread, freed only for threads of its own.
    if (sdl_ != nullptr) sdl_->SDL_TLSCleanup();
}

void SoundSystem::openOutput() {
    if (sdl_ == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (sdlUp_ && !dummy_) {
        if (openDevice(sdl_->SDL_GetCurrentAudioDriver())) return;
        sdl_->SDL_AudioQuit();
        sdlUp_ = false;
    }
    if (sdlUp_ && dummy_) {
        if (now - probed_ < kProbeInterval) {
            if (device_ == 0) openDevice("dummy");
            return;
        }
        closeDevice();
        sdl_->SDL_AudioQuit();
        sdlUp_ = false;
    }
    probed_ = now;
    // SDL does not fall back by itself: with no real output, play to the
    // dummy driver, which keeps the music's clock running in silence.
    for (const char* driver : {static_cast<const char*>(nullptr), "dummy"}) {
        if (sdl_->SDL_AudioInit(driver) != 0) continue;
        sdlUp_ = true;
        dummy_ = driver != nullptr;
        if (openDevice(driver)) return;
        sdl_->SDL_AudioQuit();
        sdlUp_ = false;
    }
}

bool SoundSystem::openDevice(const char* driver) {
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = dummy_ ? kDummyPeriodFrames : kPeriodFrames;
    want.callback = &SoundSystem::pull;
    want.userdata = this;
    SDL_AudioSpec have{};
    // The devices render at our rate; SDL converts if the device wants another.
    const SDL_AudioDeviceID device =
        sdl_->SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (device == 0) return false;
    {
        std::lock_guard guard(lock_);
        engine_.music().setAudible(!dummy_);
        idleFrames_ = 0;
        told_ = false;
    }
    device_ = device;
    liveDevice_ = device;
    bufferFrames_ = have.samples;
    {
        std::lock_guard guard(jobsMutex_);
        const char* name = sdl_->SDL_GetCurrentAudioDriver();
        driver_ = name != nullptr ? name : (driver != nullptr ? driver : "");
    }
    sdl_->SDL_PauseAudioDevice(device, 0);
    return true;
}

void SoundSystem::closeDevice() {
    if (device_ == 0) return;
    {
        std::lock_guard guard(lock_);
        closing_ = true;
    }
    // Closing waits for the audio thread; it must not hold the lock meanwhile.
    sdl_->SDL_CloseAudioDevice(device_);
    device_ = 0;
    liveDevice_ = 0;
    bufferFrames_ = 0;
    {
        std::lock_guard guard(lock_);
        closing_ = false;
    }
    std::lock_guard guard(jobsMutex_);
    driver_.clear();
}

void SoundSystem::closeIfIdle() {
    if (device_ == 0) return;
    {
        std::lock_guard guard(lock_);
        if (!engine_.idle() || idleFrames_ < idleCloseFrames_ || keepAwake_) return;
        closing_ = true;
    }
    closeDevice();
}

// SDL's audio thread.
void SoundSystem::pull(void* self, uint8_t* stream, int bytes) {
    static_cast<SoundSystem*>(self)->renderOrNotice(reinterpret_cast<float*>(stream),
                                                    bytes / static_cast<int>(2 * sizeof(float)));
}

void SoundSystem::renderOrNotice(float* out, int frames) {
    std::lock_guard guard(lock_);
    if (closing_) {
        std::fill(out, out + 2 * frames, 0.0f);
        return;
    }
    // A device that went away (its server died) is still called on SDL's
    // timer, rendering for nobody: stop, and have it closed.
    if (sdl_->SDL_GetAudioDeviceStatus(liveDevice_) == SDL_AUDIO_STOPPED) {
        std::fill(out, out + 2 * frames, 0.0f);
        closing_ = true;
        ask(&SoundSystem::lost_);
        return;
    }
    engine_.render(out, frames);
    // Long enough with nothing playing (the music's tail has died away too):
    // have the stream closed.
    if (keepAwake_.exchange(false) || !engine_.idle()) {
        idleFrames_ = 0;
        told_ = false;
    } else {
        idleFrames_ += frames;
    }
    if (idleFrames_ >= idleCloseFrames_ && !told_) {
        told_ = true;
        ask(&SoundSystem::idleSeen_);
    }
}

}  // namespace tarvo
