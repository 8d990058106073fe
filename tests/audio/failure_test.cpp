// Everything a player's machine can lack: the device stays closed and
// silent, every command does nothing and nothing is reported or printed.

#include <gtest/gtest.h>

#include "memory_output.h"
#include "soundfont.h"
#include "test_support.h"

namespace tarvo {
namespace {

using test::kRate;

TEST(Failures, AnUnplayableFileLeavesTheDeviceClosedAndSilent) {
    test::ScratchDir dir;
    test::writeBytes(dir.file("noise.mid"), {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0x12, 0x34});
    test::writeBytes(dir.file("noise.wav"), {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0, 0, 'W', 'A'});
    test::writeBytes(dir.file("empty.wav"), {});
    test::writeWav(dir.file("nothing.wav"), {}, kRate, 1);
    // A tune that ends where it starts would restart without end.
    test::writeBytes(dir.file("nothing.mid"),
                     {'M',  'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,    1,
                      0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0});

    struct Case {
        const char* name;
        bool music;
        std::string file;
        std::string soundfont = findSoundfont();
    };
    const std::vector<Case> cases = {
        {"missing tune", true, dir.file("absent.mid")},
        {"missing card sound", false, dir.file("absent.wav")},
        {"corrupt tune", true, dir.file("noise.mid")},
        {"corrupt card sound", false, dir.file("noise.wav")},
        {"empty card sound file", false, dir.file("empty.wav")},
        {"card sound with no samples", false, dir.file("nothing.wav")},
        {"tune with no time in it", true, dir.file("nothing.mid")},
        {"a folder for a file", true, dir.file("")},
        {"a card sound for a tune", true, test::soundFile("carta.wav")},
        {"no soundfont", true, test::soundFile("Music/7carte.mid"), ""},
        {"a soundfont that is not one", true, test::soundFile("Music/7carte.mid"),
         test::soundFile("carta.wav")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::StderrCapture capture(dir.file("stderr.txt"));
        test::WindowQueue window;
        MemoryOutput output(kRate, window.poster(), c.soundfont);
        MciDevice& device = c.music ? static_cast<MciDevice&>(output.music()) : output.wave();
        device.Notify = true;
        device.FileName = c.file;
        for (const char* command : {"Close", "Open", "Play", "pause", "play", "Stop", "Close"}) {
            device.Command(command);
            device.setFrom(0);
            const std::vector<float> heard = output.pull(kRate / 10);
            EXPECT_EQ(test::rms(heard), 0.0) << command;
            EXPECT_EQ(device.Position(), 0) << command;
            EXPECT_EQ(device.Length(), 0) << command;
        }
        EXPECT_EQ(window.pending(), 0u);
        EXPECT_EQ(capture.finish(), "");
    }
}

TEST(Failures, AFileThatFailsClosesTheOneBeforeIt) {
    test::WindowQueue window;
    MemoryOutput output(kRate, window.poster(), findSoundfont());
    MciDevice& music = output.music();
    music.FileName = test::soundFile("Music/borvio2.mid");
    music.Command("Open");
    ASSERT_GT(music.Length(), 0);
    music.FileName = test::soundFile("Music/absent.mid");
    music.Command("Open");
    EXPECT_EQ(music.Length(), 0);
    music.Command("Play");
    output.pull(kRate);
    EXPECT_EQ(music.Position(), 0);
}

}  // namespace
}  // namespace tarvo

#include <sndfile.h>

#include <cmath>
#include <limits>

namespace tarvo {
namespace {

// A float file can hold what no sound card can play.
TEST(Failures, FloatSamplesBeyondFullScaleOrNotANumberAreTamed) {
    test::ScratchDir dir;
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> written = {std::nanf(""), inf, -inf, 2.0f, -3.0f, 0.5f};
    const std::vector<float> expected = {0.0f, 1.0f, -1.0f, 1.0f, -1.0f, 0.5f};
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(dir.file("wild.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_write_float(file, written.data(), static_cast<sf_count_t>(written.size()));
    sf_close(file);

    MemoryOutput output(kRate, nullptr, "");
    output.wave().FileName = dir.file("wild.wav");
    output.wave().Command("Open");
    output.wave().Command("Play");
    const std::vector<float> heard = output.pull(static_cast<int>(written.size()));
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(heard[2 * i], expected[i]) << "sample " << i;
        EXPECT_EQ(heard[2 * i + 1], expected[i]) << "sample " << i;
    }
}

// Positions are 32-bit milliseconds: a tune must fit, or it does not open.
TEST(Failures, ATuneTooLongForItsPositionsDoesNotOpen) {
    // One tick a millisecond: a quarter of 1 s, 1000 ticks to the quarter.
    auto tuneOf = [](int64_t ms) {
        std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40};
        auto wait = [&](uint32_t ticks) {
            track.insert(track.end(), {static_cast<uint8_t>(0x80 | (ticks >> 21)),
                                       static_cast<uint8_t>(0x80 | ((ticks >> 14) & 0x7F)),
                                       static_cast<uint8_t>(0x80 | ((ticks >> 7) & 0x7F)),
                                       static_cast<uint8_t>(ticks & 0x7F)});
        };
        constexpr uint32_t kLongestWait = 0x0FFFFFFF;
        for (; ms > kLongestWait; ms -= kLongestWait) {
            wait(kLongestWait);
            track.insert(track.end(), {0xFF, 0x01, 0x00});  // an empty text
        }
        wait(static_cast<uint32_t>(ms));
        track.insert(track.end(), {0xFF, 0x2F, 0x00});
        return test::midiFile(1000, track);
    };
    struct Case {
        const char* name;
        int64_t ms;
        bool opens;
    };
    const int64_t limit = int64_t{1} << 31;
    const std::vector<Case> cases = {
        {"just under 2^31 ms", limit - 1000, true},
        {"2^31 ms", limit, false},
        {"far beyond", 40 * limit, false},
    };
    test::ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes(dir.file("long.mid"), tuneOf(c.ms));
        MemoryOutput output(kRate, nullptr, findSoundfont());
        MciDevice& music = output.music();
        music.FileName = dir.file("long.mid");
        music.Command("Open");
        EXPECT_NEAR(music.Length(), c.opens ? c.ms : 0, 1);
        for (int32_t from : {std::numeric_limits<int32_t>::max(), -1, 1000}) {
            music.setFrom(from);
            music.Command("Play");
            output.pull(kRate / 10);
            EXPECT_GE(music.Position(), 0);
            EXPECT_LE(music.Position(), music.Length());
        }
    }
}

}  // namespace
}  // namespace tarvo
