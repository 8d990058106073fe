#include "audio/sound_devices.h"
#include "audio/sound_system.h"

namespace tarvo {

namespace {

class SystemSoundDevices final : public SoundDevices {
  public:
    explicit SystemSoundDevices(std::unique_ptr<SoundSystem> system) : system_(std::move(system)) {}
    MciDevice& music() override { return system_->music(); }
    MciDevice& wave() override { return system_->wave(); }
    void PrepareOutput() override { system_->prepare(); }
    void Start() override { system_->start(); }
    void PreloadTunes(std::vector<std::string> tunes) override {
        system_->preloadTunes(std::move(tunes));
    }

  private:
    std::unique_ptr<SoundSystem> system_;
};

}  // namespace

std::unique_ptr<SoundDevices> OpenSoundDevices(Poster post) {
    return std::make_unique<SystemSoundDevices>(SoundSystem::open(std::move(post)));
}

}  // namespace tarvo
