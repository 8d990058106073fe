// What reaches the output: the card sound sample for sample, the music loud
// enough to hear, and both ending where their length says.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "memory_output.h"
#include "soundfont.h"
#include "test_support.h"

namespace tarvo {
namespace {

using test::kRate;

TEST(Mixing, CardSoundReachesTheOutputAsTheFileHoldsIt) {
    struct Case {
        const char* name;
        int fileRate;
        int channels;
    };
    const std::vector<Case> cases = {
        {"mono at the output rate goes to both sides", kRate, 1},
        {"stereo at the output rate keeps its sides", kRate, 2},
        {"mono at half the rate is interpolated", kRate / 2, 1},
    };
    std::mt19937 random(3);
    std::uniform_int_distribution<int> sample(-30000, 30000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        const int frames = c.fileRate / 5;
        std::vector<int16_t> samples(static_cast<size_t>(frames) * c.channels);
        for (int16_t& s : samples)
            s = static_cast<int16_t>(sample(random));
        test::writeWav(dir.file("card.wav"), samples, c.fileRate, c.channels);

        MemoryOutput output(kRate, nullptr, "");
        output.wave().FileName = dir.file("card.wav");
        output.wave().Command("Open");
        EXPECT_EQ(output.wave().Length(), 200);
        output.wave().Command("Play");
        const std::vector<float> heard = output.pull(kRate / 2);

        auto in = [&](int frame, int side) {
            return samples[static_cast<size_t>(frame) * c.channels +
                           std::min(side, c.channels - 1)] /
                   32768.0f;
        };
        const int step = kRate / c.fileRate;
        const int outFrames = (frames - 1) * step + 1;
        for (int f = 0; f < outFrames; ++f) {
            for (int side = 0; side < 2; ++side) {
                const int i = f / step;
                const float t = static_cast<float>(f % step) / step;
                const float expected =
                    t == 0 ? in(i, side) : in(i, side) + (in(i + 1, side) - in(i, side)) * t;
                ASSERT_NEAR(heard[2 * f + side], expected, 1e-6f) << "frame " << f;
            }
        }
        for (size_t i = 2 * outFrames; i < heard.size(); ++i)
            ASSERT_EQ(heard[i], 0.0f);
    }
}

TEST(Mixing, CardSoundAddsToTheMusic) {
    test::ScratchDir dir;
    test::writeWav(dir.file("card.wav"), std::vector<int16_t>(kRate, 3277), kRate, 1);
    MemoryOutput alone(kRate, nullptr, findSoundfont());
    MemoryOutput both(kRate, nullptr, findSoundfont());
    for (MemoryOutput* output : {&alone, &both}) {
        output->music().FileName = test::soundFile("Music/7carte.mid");
        output->music().Command("Open");
        output->music().Command("Play");
    }
    both.wave().FileName = dir.file("card.wav");
    both.wave().Command("Open");
    both.wave().Command("Play");
    const std::vector<float> music = alone.pull(kRate / 4);
    const std::vector<float> mixed = both.pull(kRate / 4);
    for (size_t i = 0; i < music.size(); ++i) {
        ASSERT_NEAR(mixed[i], std::clamp(music[i] + 0.1f, -1.0f, 1.0f), 1e-5f) << i;
    }
}

TEST(Mixing, OurSoundsAreHeardAndEndOnTime) {
    struct Case {
        const char* file;
        bool music;
        double minRms;  // over the whole play
    };
    // Our tunes sit around -24 dBFS RMS, the rustle around -20.
    const std::vector<Case> cases = {
        {"Music/7carte.mid", true, 0.03},
        {"Music/borvio2.mid", true, 0.03},
        {"carta.wav", false, 0.03},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        test::WindowQueue window;
        MemoryOutput output(kRate, window.poster(), findSoundfont());
        MciDevice& device = c.music ? static_cast<MciDevice&>(output.music()) : output.wave();
        bool ended = false;
        device.Notify = true;
        device.Done = [&](int code) {
            ended = code == kNotifySuccessful && device.Position() == device.Length();
        };
        device.FileName = test::soundFile(c.file);
        device.Command("Open");
        ASSERT_GT(device.Length(), 0);
        device.Command("Play");
        const int64_t lengthFrames = int64_t{device.Length()} * kRate / 1000;
        constexpr int kBlock = 441;  // 10 ms
        std::vector<float> heard;
        while (!ended) {
            const std::vector<float> block = output.pull(kBlock);
            heard.insert(heard.end(), block.begin(), block.end());
            window.drain();
            ASSERT_LE(static_cast<int64_t>(heard.size() / 2), lengthFrames + kBlock);
        }
        EXPECT_GE(static_cast<int64_t>(heard.size() / 2), lengthFrames);
        EXPECT_GT(test::rms(heard), c.minRms);
        // A second from the middle is not silent either: the tune plays throughout.
        if (c.music) {
            const auto middle = heard.begin() + static_cast<int64_t>(heard.size() / 2);
            EXPECT_GT(test::rms(std::vector<float>(middle, middle + 2 * kRate)), c.minRms);
        }
    }
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

TEST(Mixing, APausedTuneDiesAwayAndResumes) {
    test::WindowQueue window;
    MemoryOutput output(kRate, window.poster(), findSoundfont());
    MciDevice& music = output.music();
    music.FileName = test::soundFile("Music/7carte.mid");
    music.Command("Open");
    music.Command("Play");
    output.pull(5 * kRate);
    music.Command("pause");
    output.pull(3 * kRate);  // notes release, the reverb rings out
    EXPECT_LT(test::rms(output.pull(kRate / 2)), 1e-4) << "a note hangs after the pause";
    EXPECT_EQ(music.Position(), 5000);
    music.Command("play");
    EXPECT_GT(test::rms(output.pull(kRate)), 0.03);
    EXPECT_EQ(music.Position(), 6000);
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

// 120 beats a minute, 480 ticks a beat: 960 ticks a second.
std::vector<uint8_t> threeSecondsWithOneNote(uint8_t program, bool pedal) {
    // Built byte by byte: GCC 12's optimiser warns falsely on vector::insert here.
    std::vector<uint8_t> track;
    auto add = [&track](std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            track.push_back(b);
    };
    add({0x00, 0xC0, program});
    if (pedal) add({0x00, 0xB0, 64, 127});
    add({0x00, 0x90, 60, 100,             // on at the top
         0x60, 0x80, 60, 0,               // off after 100 ms
         0x95, 0x60, 0xFF, 0x2F, 0x00});  // the end at 3 s
    return test::midiFile(480, track);
}

int firstSoundFrom(const std::vector<float>& heard, size_t frame) {
    for (size_t i = 2 * frame; i < heard.size(); ++i) {
        if (std::abs(heard[i]) > 1e-3f) return static_cast<int>(i / 2 - frame);
    }
    return -1;
}

// The loop restarts the tune from the window's thread (a notification, then
// a rewind and a play), yet the top follows the end within a millisecond.
TEST(Mixing, TheLoopRestartsWithoutAGap) {
    test::ScratchDir dir;
    test::writeBytes(dir.file("loop.mid"), threeSecondsWithOneNote(0, false));
    struct Case {
        const char* name;
        bool rewind;  // what the window does when the end is reported
    };
    for (const Case c : {Case{"rewound and played", true}, Case{"left at its end", false}}) {
        SCOPED_TRACE(c.name);
        test::WindowQueue window;
        MemoryOutput output(kRate, window.poster(), findSoundfont());
        MciDevice& music = output.music();
        music.Notify = true;
        music.Done = [&](int) {
            if (!c.rewind || music.Position() != music.Length()) return;
            music.setFrom(0);
            music.Command("Play");
        };
        music.FileName = dir.file("loop.mid");
        music.Command("Open");
        ASSERT_EQ(music.Length(), 3000);
        music.Command("Play");
        std::vector<float> heard;
        // Blocks that do not divide the tune, the window running between them.
        while (heard.size() < 2 * size_t{11 * kRate / 2}) {
            const std::vector<float> block = output.pull(1000);
            heard.insert(heard.end(), block.begin(), block.end());
            window.drain();
        }
        const size_t end = 3 * kRate;
        const int onset = firstSoundFrom(heard, 0);
        ASSERT_GE(onset, 0);
        ASSERT_LT(onset, kRate / 100);
        if (c.rewind) {
            EXPECT_LE(std::abs(firstSoundFrom(heard, end) - onset), kRate / 1000);
            const double since = static_cast<double>(heard.size() / 2 - end) * 1000 / kRate;
            EXPECT_NEAR(music.Position(), since, 1) << "the second play is where it is heard";
        } else {
            EXPECT_EQ(music.Position(), music.Length());
            const auto late = heard.begin() + 2 * (end + 2 * kRate);
            EXPECT_LT(test::rms(std::vector<float>(late, late + kRate)), 1e-4)
                << "the top went on though nobody played it";
        }
    }
}

// A pause lets go of every note, also one the sustain pedal holds.
TEST(Mixing, APauseSilencesANoteHeldByThePedal) {
    test::ScratchDir dir;
    test::writeBytes(dir.file("organ.mid"), threeSecondsWithOneNote(19, true));
    test::WindowQueue window;
    MemoryOutput output(kRate, window.poster(), findSoundfont());
    MciDevice& music = output.music();
    music.FileName = dir.file("organ.mid");
    music.Command("Open");
    music.Command("Play");
    EXPECT_GT(test::rms(output.pull(kRate / 2)), 0.01) << "the pedal holds the organ";
    music.Command("pause");
    output.pull(2 * kRate);
    EXPECT_LT(test::rms(output.pull(kRate / 2)), 1e-4);
}

}  // namespace
}  // namespace tarvo
