// The sound thread's rules in test time: a stand-in output and a clock the
// test moves, with the output's pulls made by the test too.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "output_keeper.h"
#include "sound_system.h"
#include "soundfont.h"
#include "test_support.h"

namespace tarvo {
namespace {

using Ms = std::chrono::milliseconds;
using Output = OutputKeeper::Output;
using Sound = OutputKeeper::Sound;
constexpr Sound kCard = Sound::kCard;
constexpr Sound kMusic = Sound::kMusic;

// A sound server the test switches on and off, and what was asked of it.
struct Server {
    bool up = true;            // a real driver starts and opens
    bool reportsLoss = false;  // the driver says its stream is gone
    bool closeWaits = false;   // closing waits for the server, as SDL's does
    int starts = 0;
    int opens = 0;
    int closes = 0;
};

class FakeOutput final : public AudioOutput {
  public:
    explicit FakeOutput(std::shared_ptr<Server> server) : server_(std::move(server)) {}
    bool start(const char* driver) override {
        ++server_->starts;
        dummy_ = driver != nullptr;
        up_ = dummy_ || server_->up;
        return up_;
    }
    void stop() override {
        up_ = false;
        open_ = 0;
    }
    uint32_t open(int, int frames, Pull, void*, int& granted) override {
        if (!up_ || (!dummy_ && !server_->up)) return 0;
        // Like SDL's, the dummy driver gives one stream only.
        if (dummy_ && open_ > 0) return 0;
        ++open_;
        ++server_->opens;
        granted = frames;
        return static_cast<uint32_t>(server_->opens);
    }
    void close(uint32_t) override {
        ++server_->closes;
        --open_;
    }
    bool lost(uint32_t) const override { return !dummy_ && server_->reportsLoss; }
    bool closeWaits() const override { return server_->closeWaits; }
    std::string driver() const override { return dummy_ ? "dummy" : "server"; }

  private:
    std::shared_ptr<Server> server_;
    bool up_ = false;
    bool dummy_ = false;
    int open_ = 0;
};

constexpr Ms kIdle{4000};
constexpr Ms kCardQuiet = OutputKeeper::kCardIdleClose;

class Keeper : public ::testing::Test {
  protected:
    Keeper()
        : engine_(test::kRate, lock_, window_.poster(), findSoundfont()),
          keeper_(
              engine_, lock_, [this] { return std::make_unique<FakeOutput>(server_); },
              [this] { return now_; }, kIdle) {
        engine_.wave().onPlay = [this] { keeper_.ask(OutputKeeper::kWantCard); };
        engine_.music().onPlay = [this] { keeper_.ask(OutputKeeper::kWantMusic); };
        engine_.music().onHalt = [this] { keeper_.ask(OutputKeeper::kHaltMusic); };
        // Ten seconds of near silence: it plays for as long as the test pulls.
        test::writeWav(dir_.file("long.wav"), std::vector<int16_t>(10 * test::kRate, 1),
                       test::kRate, 1);
        engine_.wave().FileName = dir_.file("long.wav");
        engine_.wave().Command("Open");
    }

    // Time passes; the output pulls every period while a stream is open
    // (`pulling` false: the server has stopped answering), and the sound
    // thread runs whenever it asked to.
    void advance(Ms span, bool pulling = true) {
        const Ms end = now_ + span;
        while (now_ < end) {
            now_ = std::min(end, now_ + Ms(5));
            for (Sound sound : {kMusic, kCard}) {
                if (!pulling || keeper_.output(sound) == Output::kClosed) continue;
                // 5 ms of frames at the output's rate.
                std::vector<float> buffer(2 * 220);
                keeper_.pull(sound, buffer.data(), 220);
            }
            if (now_ >= wake_ || jobsAsked_) run();
        }
    }
    void run() {
        jobsAsked_ = false;
        wake_ = keeper_.step(now_);
    }
    void play() {
        engine_.wave().setFrom(0);
        engine_.wave().Command("Play");
        jobsAsked_ = true;
    }
    void stopPlaying() {
        engine_.wave().Command("Stop");
        jobsAsked_ = true;
    }

    test::ScratchDir dir_;
    test::WindowQueue window_;
    std::shared_ptr<Server> server_ = std::make_shared<Server>();
    Ms now_{0};
    Ms wake_{0};
    bool jobsAsked_ = false;
    std::mutex lock_;
    AudioEngine engine_;
    OutputKeeper keeper_;
};

TEST_F(Keeper, StartsLateClosesWhenQuietAndOpensForTheNextSound) {
    run();
    EXPECT_EQ(server_->starts, 0) << "nothing before the window asks or a second has passed";
    advance(OutputKeeper::kStartAtLatest);
    EXPECT_EQ(keeper_.output(kCard), Output::kReal);
    EXPECT_EQ(keeper_.periodFrames(kCard), OutputKeeper::kCardPeriodFrames);

    advance(kCardQuiet - Ms(100));
    EXPECT_EQ(keeper_.output(kCard), Output::kReal) << "closed before the quiet spell was over";
    advance(Ms(200));
    EXPECT_EQ(keeper_.output(kCard), Output::kClosed);

    // A press readies the stream, and keeps it from closing while it is held.
    keeper_.prepare();
    jobsAsked_ = true;
    advance(Ms(5));
    EXPECT_EQ(keeper_.output(kCard), Output::kReal);
    EXPECT_EQ(server_->starts, 1) << "the driver stays up while the stream is closed";

    play();
    advance(2 * kIdle);
    EXPECT_EQ(keeper_.output(kCard), Output::kReal) << "closed while a sound played";
    stopPlaying();
    advance(kCardQuiet + Ms(100));
    EXPECT_EQ(keeper_.output(kCard), Output::kClosed);
}

// The music plays through a stream of its own with a long period; the card
// sound's short one closes after its quiet spell while the music plays on.
TEST_F(Keeper, EachSoundHasAStreamOfItsOwn) {
    engine_.music().FileName = test::soundFile("Music/7carte.mid");
    engine_.music().Command("Open");
    if (engine_.music().Length() == 0) GTEST_SKIP() << "no soundfont here";
    engine_.music().Command("Play");
    jobsAsked_ = true;
    advance(Ms(5));
    EXPECT_EQ(keeper_.periodFrames(kMusic), OutputKeeper::kMusicPeriodFrames);
    EXPECT_EQ(keeper_.periodFrames(kCard), OutputKeeper::kCardPeriodFrames);
    advance(kCardQuiet + Ms(100));
    EXPECT_EQ(keeper_.output(kMusic), Output::kReal);
    EXPECT_EQ(keeper_.output(kCard), Output::kClosed);
    play();
    advance(Ms(5));
    EXPECT_EQ(keeper_.output(kCard), Output::kReal);

    // The long period queued ahead is not played out after a pause, and a
    // play opens a fresh stream; the tune goes on from where it was.
    engine_.music().Command("pause");
    const int32_t pausedAt = engine_.music().Position();
    jobsAsked_ = true;
    advance(Ms(5));
    EXPECT_EQ(keeper_.output(kMusic), Output::kClosed);
    EXPECT_EQ(keeper_.output(kCard), Output::kReal);
    engine_.music().Command("play");
    jobsAsked_ = true;
    advance(Ms(5));
    EXPECT_EQ(keeper_.output(kMusic), Output::kReal);
    EXPECT_GE(engine_.music().Position(), pausedAt);
    // The victory tune's Stop, Open and Play come together: a fresh stream.
    const int opens = server_->opens;
    for (const char* command : {"Stop", "Close", "Open", "Play"})
        engine_.music().Command(command);
    jobsAsked_ = true;
    advance(Ms(5));
    EXPECT_EQ(keeper_.output(kMusic), Output::kReal);
    EXPECT_EQ(server_->opens, opens + 1);

    engine_.music().Command("Stop");
    stopPlaying();
    advance(kCardQuiet + Ms(100));
    EXPECT_EQ(keeper_.output(kMusic), Output::kClosed);
    EXPECT_EQ(keeper_.output(kCard), Output::kClosed);
}

// A server lost while something plays is looked for every half second, never
// more often, and found again; one lost in a quiet spell waits for the next sound.
TEST_F(Keeper, ALostServerIsLookedForAgainWhileSomethingPlays) {
    struct Case {
        const char* how;
        bool reportsLoss;  // the driver says so; otherwise the pulls just stop
    };
    for (const Case& c : {Case{"the driver reports the loss", true},
                          Case{"the pulls stop (the watchdog)", false}}) {
        SCOPED_TRACE(c.how);
        *server_ = Server{};
        keeper_.ask(OutputKeeper::kStart);
        play();
        advance(Ms(100));
        ASSERT_EQ(keeper_.output(kCard), Output::kReal);

        server_->up = false;
        server_->reportsLoss = c.reportsLoss;
        advance(OutputKeeper::kWatchdog + Ms(100), c.reportsLoss);
        EXPECT_EQ(keeper_.output(kCard), Output::kDummy) << "the music keeps its time";

        const int startsBefore = server_->starts;
        advance(Ms(5000));
        const int probes = (server_->starts - startsBefore) / 2;  // the server, then dummy
        EXPECT_GE(probes, 9);
        EXPECT_LE(probes, 11);

        // A moment with nothing to play does not end the search.
        stopPlaying();
        advance(Ms(50), c.reportsLoss);
        play();
        server_->up = true;
        server_->reportsLoss = false;
        advance(OutputKeeper::kLostRetry + Ms(10));
        EXPECT_EQ(keeper_.output(kCard), Output::kReal) << "not found again";

        // Lost in a quiet spell: nothing is tried until a sound is asked for.
        stopPlaying();
        advance(Ms(100));
        server_->up = false;
        server_->reportsLoss = true;
        advance(Ms(100));
        const int quietStarts = server_->starts;
        advance(Ms(5000));
        EXPECT_LE(server_->starts - quietStarts, 2) << "probing with nothing to play";
        stopPlaying();
    }
}

// Where closing waits for the server, a new tune asked for with the Stop (the
// victory tune) goes on in the music's open stream; a Stop alone closes it.
TEST_F(Keeper, ANewTuneAtTheStopKeepsAStreamWhoseCloseWaits) {
    server_->closeWaits = true;
    MusicDevice& music = engine_.music();
    music.FileName = test::soundFile("Music/7carte.mid");
    music.Command("Open");
    if (music.Length() == 0) GTEST_SKIP() << "no soundfont here";
    keeper_.ask(OutputKeeper::kStart);
    music.Command("Play");
    jobsAsked_ = true;
    advance(Ms(100));
    ASSERT_EQ(keeper_.output(kMusic), Output::kReal);
    const int closes = server_->closes;
    for (const char* command : {"Stop", "Close", "Open", "Play"})
        music.Command(command);
    jobsAsked_ = true;
    advance(Ms(100));
    EXPECT_EQ(server_->closes, closes);
    EXPECT_EQ(keeper_.output(kMusic), Output::kReal);
    music.Command("Stop");
    jobsAsked_ = true;
    advance(OutputKeeper::kHaltGrace + Ms(10));
    EXPECT_EQ(keeper_.output(kMusic), Output::kClosed);
}

TEST_F(Keeper, WithoutARealOutputPlaysToTheDummyAndProbesAtMostEveryTwoSeconds) {
    server_->up = false;
    keeper_.ask(OutputKeeper::kStart);
    advance(Ms(5));
    EXPECT_EQ(keeper_.output(kCard), Output::kDummy);
    EXPECT_EQ(keeper_.periodFrames(kCard), OutputKeeper::kDummyPeriodFrames);
    const int starts = server_->starts;
    for (int i = 0; i < 10; ++i) {
        play();
        advance(Ms(100));
    }
    EXPECT_EQ(server_->starts, starts) << "probed again within the interval";

    // One stream is all the dummy gives: it plays the music too.
    engine_.music().FileName = test::soundFile("Music/7carte.mid");
    engine_.music().Command("Open");
    engine_.music().Command("Play");
    jobsAsked_ = true;
    advance(Ms(1000));
    if (engine_.music().Length() != 0) {
        EXPECT_GE(engine_.music().Position(), 900);
    }
    engine_.music().Command("pause");

    server_->up = true;
    advance(OutputKeeper::kProbeInterval);
    play();
    advance(Ms(5));
    EXPECT_EQ(keeper_.output(kCard), Output::kReal);
}

// A server that stops answering holds the output's close for ever: the end
// does not wait for it, and what the sound thread uses outlives the system.
TEST(SoundSystemEnd, LeavesAStalledSoundThreadBehind) {
    struct Stall {
        std::mutex mutex;
        std::condition_variable cv;
        bool released = false;
        std::atomic<bool> entered{false};
    };
    auto stall = std::make_shared<Stall>();
    class StallingOutput final : public AudioOutput {
      public:
        explicit StallingOutput(std::shared_ptr<Stall> stall) : stall_(std::move(stall)) {}
        bool start(const char*) override { return true; }
        void stop() override {}
        uint32_t open(int, int frames, Pull, void*, int& granted) override {
            granted = frames;
            return 1;
        }
        void close(uint32_t) override {
            stall_->entered = true;
            std::unique_lock guard(stall_->mutex);
            stall_->cv.wait(guard, [this] { return stall_->released; });
        }
        bool lost(uint32_t) const override { return false; }
        std::string driver() const override { return "stalled"; }

      private:
        std::shared_ptr<Stall> stall_;
    };
    test::WindowQueue window;
    bool leftBehind = false;
    {
        auto system = SoundSystem::open(
            window.poster(),
            {.quitWait = Ms(50),
             .leftBehind = [&] { leftBehind = true; },
             .makeOutput = [stall] { return std::make_unique<StallingOutput>(stall); }});
        system->waitUntilStarted();
        system->wave().FileName = test::soundFile("carta.wav");
        system->wave().Command("Open");
    }
    EXPECT_TRUE(leftBehind);
    EXPECT_TRUE(stall->entered);
    {
        std::lock_guard guard(stall->mutex);
        stall->released = true;
    }
    stall->cv.notify_all();
    // The thread ends on its own and frees what it kept: the sanitizers
    // would see anything freed under it or never freed.
    for (int i = 0; i < 200 && stall.use_count() > 1; ++i)
        std::this_thread::sleep_for(Ms(10));
    EXPECT_EQ(stall.use_count(), 1);
}

}  // namespace
}  // namespace tarvo
