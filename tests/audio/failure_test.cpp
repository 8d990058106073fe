// Everything a player's machine can lack: the device stays closed and
// silent, every command does nothing and nothing is reported or printed.

#include <gtest/gtest.h>
#include <sys/stat.h>

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
    // A FIFO would block whoever opens it; a device would never end.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const std::string device = "/dev/zero";
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
        {"a FIFO for a card sound", false, dir.file("fifo")},
        {"a FIFO for a tune", true, dir.file("fifo")},
        {"a FIFO for a soundfont", true, test::soundFile("Music/7carte.mid"), dir.file("fifo")},
        {"a device for a card sound", false, device},
        {"a device for a tune", true, device},
        {"a device for a soundfont", true, test::soundFile("Music/7carte.mid"), device},
        {"a folder for a soundfont", true, test::soundFile("Music/7carte.mid"), dir.file("")},
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
#include <sys/resource.h>

#include <cmath>
#include <fstream>
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

long peakMemoryKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Files that do open, made to cost: a header that claims far more sound than
// the file holds, and tunes of as many events as a tune may have. They cost what they hold,
// and the devices play on.
TEST(Failures, FilesThatClaimOrHoldTooMuchPlayOnInBounds) {
    test::ScratchDir dir;
    // 8 channels at 655350 Hz: 20 ms in the file, 9 s in its header.
    constexpr int kWideRate = 655350;
    constexpr int kWideChannels = 8;
    SF_INFO info{};
    info.samplerate = kWideRate;
    info.channels = kWideChannels;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(dir.file("wide.flac").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    const std::vector<int16_t> frames(kWideRate / 50 * kWideChannels, 1000);
    sf_writef_short(file, frames.data(), kWideRate / 50);
    sf_close(file);
    std::fstream flac(dir.file("wide.flac"), std::ios::in | std::ios::out | std::ios::binary);
    // STREAMINFO's 36-bit sample count starts in the low half of byte 21.
    const uint64_t claimed = uint64_t{9} * kWideRate;
    flac.seekg(21);
    char low = 0;
    flac.get(low);
    const char patched[] = {static_cast<char>((low & 0xF0) | ((claimed >> 32) & 0x0F)),
                            static_cast<char>(claimed >> 24), static_cast<char>(claimed >> 16),
                            static_cast<char>(claimed >> 8), static_cast<char>(claimed)};
    flac.seekp(21);
    flac.write(patched, sizeof patched);
    flac.close();

    // A 6 ms tune of 150000 program changes, and a 2 s one of as many notes.
    auto flood = [](uint8_t status, uint8_t data2, uint8_t lengthTicks) {
        std::vector<uint8_t> track;
        for (int i = 0; i < 150'000; ++i) {
            track.insert(track.end(), {0x00, status, static_cast<uint8_t>(i % 128)});
            if ((status & 0xF0) != 0xC0) track.push_back(data2);
        }
        track.insert(track.end(), {lengthTicks, 0xFF, 0x2F, 0x00});
        return test::midiFile(lengthTicks == 3 ? 250 : 48, track);
    };
    test::writeBytes(dir.file("programs.mid"), flood(0xC0, 0, 3));
    test::writeBytes(dir.file("notes.mid"), flood(0x90, 100, 96));

    struct Case {
        const char* name;
        bool music;
        std::string file;
        int32_t atMostMs;
        long atMostMb;  // what opening it may take; the 9 s claim alone would be 180
    };
    const std::vector<Case> cases = {
        {"a header claiming 9 s of 8 channels", false, dir.file("wide.flac"), 100, 32},
        {"a 6 ms tune of 150000 program changes", true, dir.file("programs.mid"), 10, 300},
        {"a 2 s tune of 150000 notes", true, dir.file("notes.mid"), 2100, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::WindowQueue window;
        MemoryOutput output(kRate, window.poster(), findSoundfont());
        MciDevice& device = c.music ? static_cast<MciDevice&>(output.music()) : output.wave();
        device.Notify = true;
        device.Done = [&](int) {
            if (device.Position() != device.Length()) return;
            device.setFrom(0);
            device.Command("Play");
        };
        device.FileName = c.file;
        const long before = peakMemoryKb();
        device.Command("Open");
        EXPECT_LT(peakMemoryKb() - before, c.atMostMb << 10);
        if (c.music && device.Length() == 0) continue;  // no soundfont here
        EXPECT_GT(device.Length(), 0);
        EXPECT_LE(device.Length(), c.atMostMs);
        device.Command("Play");
        for (int i = 0; i < 30; ++i) {  // 3 s, the loop's restarts included
            const std::vector<float> heard = output.pull(4096);
            window.drain();
            EXPECT_TRUE(std::isfinite(test::rms(heard)));
        }
        EXPECT_GE(device.Position(), 0);
        EXPECT_LE(device.Position(), device.Length());
    }
}

}  // namespace
}  // namespace tarvo
