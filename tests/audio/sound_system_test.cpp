// The real output on this machine, whatever it has: a sound card, or none and
// SDL's dummy driver. Either way the game's sound opens without a word.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "sound_libraries.h"
#include "sound_system.h"
#include "test_support.h"

namespace tarvo {
namespace {

// The game ends the process when the sound thread is slow to close; a test
// waits for it instead, or it would end with the remaining tests unrun.
SoundSystem::Options waited(SoundSystem::Options options = {}) {
    options.quitWait = std::chrono::seconds(30);
    options.leftBehind = [] { ADD_FAILURE() << "the sound thread did not end"; };
    return options;
}

// They are opened by name at run time: a name that drifts from the installed
// library would only show as a silent game.
TEST(SoundSystem, FindsTheLibrariesItOpens) {
    EXPECT_NE(Fluid(), nullptr);
    EXPECT_NE(Sdl(), nullptr);
    EXPECT_NE(PipeWire(), nullptr);
    EXPECT_NE(Pulse(), nullptr);
    EXPECT_NE(Alsa(), nullptr);
    EXPECT_NE(Glib(), nullptr);
}

TEST(SoundSystem, OpensSilentlyAndPlaysOurFiles) {
    test::ScratchDir dir;
    test::WindowQueue window;
    test::StderrCapture capture(dir.file("stderr.txt"));
    std::string driver;
    int rate = 0, buffer = 0;
    int32_t musicLength = 0, waveLength = 0;
    {
        auto system = SoundSystem::open(window.poster(), waited());
        system->waitUntilStarted();
        driver = system->driver();
        rate = system->sampleRate();
        buffer = system->bufferFrames();
        for (MciDevice* device : {&system->music(), &system->wave()}) {
            device->Notify = true;
            device->Command("Close");
            device->FileName =
                test::soundFile(device == &system->music() ? "Music/7carte.mid" : "carta.wav");
            device->Command("Open");
            device->Command("Play");
            EXPECT_GE(device->Position(), 0);
            EXPECT_LE(device->Position(), device->Length());
            device->Command("pause");
        }
        musicLength = system->music().Length();
        waveLength = system->wave().Length();
        system->music().Command("close");
        system->wave().Command("close");
    }
    window.drain();  // notifications of devices already gone do nothing
    const std::string printed = capture.finish();
    std::printf("output: driver %s, %d Hz, %d frames a buffer\n", driver.c_str(), rate, buffer);

    EXPECT_EQ(printed, "");
    ASSERT_FALSE(driver.empty()) << "not even the dummy driver opened";
    EXPECT_GT(rate, 0);
    EXPECT_GT(buffer, 0);
    EXPECT_LE(buffer, 1024);
    EXPECT_GT(musicLength, 60'000);
    EXPECT_GT(waveLength, 0);
}

TEST(SoundSystem, CanBeOpenedAgainAfterClosing) {
    test::WindowQueue window;
    for (int i = 0; i < 2; ++i) {
        auto system = SoundSystem::open(window.poster(), waited());
        system->wave().FileName = test::soundFile("carta.wav");
        system->wave().Command("Open");
        EXPECT_GT(system->wave().Length(), 0) << "round " << i;
    }
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

// An idle game costs no CPU: the stream closes when nothing has played for a
// while, and the next play opens it again and is heard to its end.
TEST(SoundSystem, ClosesTheOutputWhenIdleAndOpensItForTheNextPlay) {
    test::WindowQueue window;
    auto system =
        SoundSystem::open(window.poster(), waited({.idleClose = std::chrono::milliseconds(50)}));
    system->waitUntilStarted();
    if (!system->outputOpen()) GTEST_SKIP() << "no output at all here";
    MciDevice& wave = system->wave();
    wave.FileName = test::soundFile("carta.wav");
    wave.Command("Open");
    auto waitFor = [&](auto done) {
        for (int i = 0; i < 500 && !done(); ++i) {
            window.drain();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    };
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(waitFor([&] { return !system->outputOpen(); })) << "round " << round;
        wave.setFrom(0);
        wave.Command("Play");
        EXPECT_TRUE(waitFor([&] { return system->outputOpen(); }));
        ASSERT_TRUE(waitFor([&] { return wave.Position() == wave.Length(); }));
    }
}

}  // namespace
}  // namespace tarvo
