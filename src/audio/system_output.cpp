#include <cstdlib>
#include <vector>

#include "audio_output.h"

namespace tarvo {
namespace {

// A sound server's own protocol where one answers, PipeWire's first; SDL
// otherwise (a card, the dummy driver), or when the player named an SDL driver.
class SystemOutput final : public AudioOutput {
  public:
    SystemOutput(std::vector<std::unique_ptr<AudioOutput>> servers,
                 std::unique_ptr<AudioOutput> sdl)
        : servers_(std::move(servers)), sdl_(std::move(sdl)) {}

    bool start(const char* driver) override {
        stop();
        const char* chosen = std::getenv("SDL_AUDIODRIVER");
        if (driver == nullptr && (chosen == nullptr || *chosen == '\0')) {
            for (auto& server : servers_)
                if (server->start(nullptr)) {
                    on_ = server.get();
                    return true;
                }
        }
        if (sdl_ != nullptr && sdl_->start(driver)) on_ = sdl_.get();
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
    std::vector<std::unique_ptr<AudioOutput>> servers_;
    std::unique_ptr<AudioOutput> sdl_;
    AudioOutput* on_ = nullptr;
};

}  // namespace

std::unique_ptr<AudioOutput> openSystemOutput() {
    std::vector<std::unique_ptr<AudioOutput>> servers;
    for (auto* open : {openPipeWireOutput, openPulseOutput})
        if (auto server = open()) servers.push_back(std::move(server));
    auto sdl = openSdlOutput();
    if (servers.empty() && sdl == nullptr) return nullptr;
    return std::make_unique<SystemOutput>(std::move(servers), std::move(sdl));
}

}  // namespace tarvo
