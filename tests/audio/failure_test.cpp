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
