#include "sound_system.h"

#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <utility>

#include "soundfont.h"

namespace tarvo {
namespace {

constexpr int kRate = 44100;

std::chrono::milliseconds steadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace

struct SoundSystem::Core {
    Core(Poster post, const Options& options)
        : engine(kRate, lock, std::move(post), findSoundfont()),
          keeper(
              engine, lock,
              options.makeOutput ? options.makeOutput : OutputKeeper::MakeOutput(openSystemOutput),
              steadyNow, options.idleClose) {
        // Called inside the command: only a note for the sound thread.
        engine.music().onPlay = [this] { keeper.ask(OutputKeeper::kWantMusic); };
        engine.wave().onPlay = [this] { keeper.ask(OutputKeeper::kWantCard); };
        engine.music().onHalt = [this] { keeper.ask(OutputKeeper::kHaltMusic); };
    }

    void run() {
        while (!keeper.quitting()) {
            const auto next = keeper.step(steadyNow());
            if (keeper.quitting()) break;
            keeper.waitForJob(next == OutputKeeper::kNever ? next : next - steadyNow());
        }
        keeper.shutDown();
        std::lock_guard guard(doneMutex);
        done = true;
        doneCv.notify_all();
    }

    std::mutex lock;  // the engine's
    AudioEngine engine;
    OutputKeeper keeper;
    std::mutex doneMutex;
    std::condition_variable doneCv;
    bool done = false;
};

std::unique_ptr<SoundSystem> SoundSystem::open(Poster post, Options options) {
    auto core = std::make_shared<Core>(std::move(post), options);
    std::unique_ptr<SoundSystem> system(new SoundSystem(core, std::move(options)));
    system->thread_ = std::thread([core] { core->run(); });
    return system;
}

SoundSystem::SoundSystem(std::shared_ptr<Core> core, Options options)
    : core_(std::move(core)), options_(std::move(options)) {}

SoundSystem::~SoundSystem() {
    core_->keeper.ask(OutputKeeper::kQuit);
    bool done = false;
    {
        std::unique_lock guard(core_->doneMutex);
        done = core_->doneCv.wait_for(guard, options_.quitWait, [this] { return core_->done; });
    }
    if (done) {
        thread_.join();
        return;
    }
    // The sound thread waits on a driver that waits on a server that does not
    // answer. The core stays with the thread; the game ends without it.
    thread_.detach();
    if (options_.leftBehind) {
        options_.leftBehind();
    } else {
        std::fflush(nullptr);
        ::_exit(0);
    }
}

MciDevice& SoundSystem::music() {
    return core_->engine.music();
}

MciDevice& SoundSystem::wave() {
    return core_->engine.wave();
}

void SoundSystem::prepare() {
    core_->keeper.prepare();
}

void SoundSystem::preloadTunes(std::vector<std::string> tunes) {
    core_->engine.music().preload(std::move(tunes));
}

void SoundSystem::start() {
    core_->keeper.ask(OutputKeeper::kStart);
}

void SoundSystem::waitUntilStarted() {
    core_->keeper.waitUntilStarted();
}

int SoundSystem::sampleRate() const {
    return core_->engine.sampleRate();
}

int SoundSystem::bufferFrames() const {
    return core_->keeper.periodFrames(OutputKeeper::Sound::kCard);
}

int SoundSystem::musicBufferFrames() const {
    return core_->keeper.periodFrames(OutputKeeper::Sound::kMusic);
}

bool SoundSystem::outputOpen() const {
    return bufferFrames() != 0 || musicBufferFrames() != 0;
}

std::string SoundSystem::driver() const {
    return core_->keeper.driver();
}

}  // namespace tarvo
