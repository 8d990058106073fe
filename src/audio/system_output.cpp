#include <cstdlib>

#include "audio_output.h"

namespace tarvo {
namespace {

// PipeWire's own protocol where a PipeWire server answers; SDL otherwise (a
// PulseAudio server, a card, the dummy driver), or when the player named an
// SDL driver.
class SystemOutput final : public AudioOutput {
  public:
    SystemOutput(std::unique_ptr<AudioOutput> pipewire, std::unique_ptr<AudioOutput> sdl)
        : pipewire_(std::move(pipewire)), sdl_(std::move(sdl)) {}

    bool start(const char* driver) override {
        stop();
        const char* chosen = std::getenv("SDL_AUDIODRIVER");
        const bool systemChoice = driver == nullptr && (chosen == nullptr || *chosen == '\0');
        if (systemChoice && pipewire_ != nullptr && pipewire_->start(nullptr)) {
            on_ = pipewire_.get();
        } else if (sdl_ != nullptr && sdl_->start(driver)) {
            on_ = sdl_.get();
        }
        return on_ != nullptr;
    }
    void stop() override {
        if (on_ != nullptr) on_->stop();
        on_ = nullptr;
    }
    uint32_t open(int rate, int frames, Pull pull, void* user, int& granted) override {
        return on_ != nullptr ? on_->open(rate, frames, pull, user, granted) : 0;
    }
    void close(uint32_t stream) override {
        if (on_ != nullptr) on_->close(stream);
    }
    bool lost(uint32_t stream) const override { return on_ != nullptr && on_->lost(stream); }
    bool closeWaits() const override { return on_ != nullptr && on_->closeWaits(); }
    std::string driver() const override { return on_ != nullptr ? on_->driver() : ""; }

  private:
    std::unique_ptr<AudioOutput> pipewire_;
    std::unique_ptr<AudioOutput> sdl_;
    AudioOutput* on_ = nullptr;
};

}  // namespace

std::unique_ptr<AudioOutput> openSystemOutput() {
    auto pipewire = openPipeWireOutput();
    auto sdl = openSdlOutput();
    if (pipewire == nullptr && sdl == nullptr) return nullptr;
    return std::make_unique<SystemOutput>(std::move(pipewire), std::move(sdl));
}

}  // namespace tarvo
