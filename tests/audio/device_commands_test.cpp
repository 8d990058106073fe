// The command set both devices share, run as scripts against a manual clock:
// each step does one thing, then lets the window run what was posted, then
// checks position, length and the notifications that arrived.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "memory_output.h"
#include "soundfont.h"
#include "test_support.h"

namespace tarvo {
namespace {

using test::kRate;

struct Step {
    std::string action;  // a command, "from MS" or "pull MS"
    int32_t position;
    std::vector<int> done = {};  // codes of the Done notifications it caused
    bool stopCompleted = false;
    int32_t length = 1000;
};

struct Script {
    const char* name;
    std::vector<Step> steps;
};

constexpr int S = kNotifySuccessful, R = kNotifySuperseded, A = kNotifyAborted;

const std::vector<Script> kScripts = {
    {"pause and play resume at the same place",
     {{"Open", 0},
      {"Play", 0},
      {"pull 250", 250},
      {"pause", 250, {A}},
      {"pull 250", 250},
      {"pause", 250},
      {"play", 250},
      {"pull 250", 500}}},
    {"a play to the end says so, with Position equal to Length",
     {{"Open", 0}, {"Play", 0}, {"pull 990", 990}, {"pull 10", 1000, {S}}, {"pull 100", 1000}}},
    {"stop keeps the place, then completes",
     {{"Open", 0},
      {"Play", 0},
      {"pull 300", 300},
      {"Stop", 300, {A}, true},
      {"pull 100", 300},
      {"Play", 300},
      {"pull 100", 400}}},
    {"a start position waits for the next play",
     {{"Open", 0},
      {"Play", 0},
      {"pull 300", 300},
      {"from 0", 300},
      {"pull 100", 400},
      {"Play", 0, {R}},
      {"pull 100", 100}}},
    {"play while playing changes nothing",
     {{"Open", 0}, {"Play", 0}, {"pull 200", 200}, {"Play", 200}, {"pull 200", 400}}},
    {"play at the end ends at once; a rewind plays again",
     {{"Open", 0},
      {"Play", 0},
      {"pull 1000", 1000, {S}},
      {"Play", 1000, {S}},
      {"from 0", 1000},
      {"Play", 0},
      {"pull 100", 100}}},
    {"a start position is kept within the sound",
     {{"Open", 0},
      {"from 5000", 0},
      {"Play", 1000, {S}},
      {"from -5", 1000},
      {"Play", 0},
      {"pull 100", 100}}},
    {"commands ignore case, unknown ones do nothing",
     {{"OPEN", 0},
      {"pLaY", 0},
      {"pull 100", 100},
      {"Rewind", 100},
      {"PAUSE", 100, {A}},
      {"play", 100},
      {"STOP", 100, {A}, true}}},
    {"stop when not playing still completes", {{"Open", 0}, {"Stop", 0, {}, true}, {"pause", 0}}},
    {"close ends the play and leaves a closed device",
     {{"Open", 0},
      {"Play", 0},
      {"pull 100", 100},
      {"Close", 0, {A}, false, 0},
      {"Play", 0, {}, false, 0},
      {"Stop", 0, {}, false, 0},
      {"pull 100", 0, {}, false, 0},
      {"Open", 0},
      {"Play", 0},
      {"pull 100", 100}}},
};

// One second of sound on each device: a steady tone in the WAV, a held note
// in the MIDI file (120 beats a minute, 480 ticks a beat).
std::vector<uint8_t> oneSecondMidi() {
    return {'M',  'T',  'h',  'd', 0, 0, 0, 6,  0, 0, 0, 1, 0x01, 0xE0,  //
            'M',  'T',  'r',  'k', 0, 0, 0, 16,                          //
            0x00, 0xC0, 0x00,                                            // piano
            0x00, 0x90, 60,   100,                                       // middle C
            0x87, 0x40, 0x80, 60,  0,                                    // off after 960 ticks
            0x00, 0xFF, 0x2F, 0x00};
}

class DeviceCommands : public ::testing::TestWithParam<bool> {
  protected:
    bool midi() const { return GetParam(); }
    test::ScratchDir dir;
    test::WindowQueue window;
};

TEST_P(DeviceCommands, ScriptsGiveTheirPositionsAndNotifications) {
    const std::string file = dir.file(midi() ? "second.mid" : "second.wav");
    if (midi()) {
        test::writeBytes(file, oneSecondMidi());
    } else {
        test::writeWav(file, std::vector<int16_t>(kRate, 8000), kRate, 1);
    }
    for (const Script& script : kScripts) {
        SCOPED_TRACE(script.name);
        MemoryOutput output(kRate, window.poster(), findSoundfont());
        MciDevice& device = midi() ? static_cast<MciDevice&>(output.music()) : output.wave();
        std::vector<int> done;
        int stops = 0;
        device.Notify = true;
        device.Done = [&](int code) { done.push_back(code); };
        device.StopCompleted = [&] { ++stops; };
        device.FileName = file;
        for (const Step& step : script.steps) {
            SCOPED_TRACE(step.action);
            done.clear();
            stops = 0;
            const int32_t before = device.Position();
            std::vector<float> heard;
            if (step.action.rfind("pull ", 0) == 0) {
                heard = output.pull(std::stoi(step.action.substr(5)) * kRate / 1000);
            } else if (step.action.rfind("from ", 0) == 0) {
                device.setFrom(std::stoi(step.action.substr(5)));
            } else {
                device.Command(step.action);
            }
            window.drain();
            EXPECT_EQ(device.Position(), step.position);
            EXPECT_EQ(device.Length(), step.length);
            EXPECT_EQ(done, step.done);
            EXPECT_EQ(stops, step.stopCompleted ? 1 : 0);
            // The card sound is heard exactly while it moves on (a note of the
            // music may ring on after a pause).
            if (!midi() && !heard.empty()) {
                EXPECT_EQ(heard.front() != 0.0f, step.position > before);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothDevices, DeviceCommands, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Music" : "CardSound"; });

TEST(DeviceNotifications, ArriveOnlyThroughTheWindowAndOnlyWhenAskedFor) {
    test::ScratchDir dir;
    test::WindowQueue window;
    const std::string file = dir.file("short.wav");
    test::writeWav(file, std::vector<int16_t>(kRate / 10, 1000), kRate, 1);
    MemoryOutput output(kRate, window.poster(), "");
    MciDevice& wave = output.wave();
    int done = 0, stops = 0;
    wave.Done = [&](int) { ++done; };
    wave.StopCompleted = [&] { ++stops; };
    wave.FileName = file;
    wave.Command("Open");

    wave.Command("Play");
    output.pull(kRate);
    EXPECT_EQ(done, 0) << "called before the window ran its queue";
    EXPECT_EQ(window.pending(), 1u);
    window.drain();
    EXPECT_EQ(done, 0) << "Notify is off";

    wave.Notify = true;
    wave.setFrom(0);
    wave.Command("Play");
    wave.Command("Stop");
    window.drain();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(stops, 1);
}

TEST(DeviceNotifications, FromADeviceThatIsGoneDoNothing) {
    test::ScratchDir dir;
    test::WindowQueue window;
    const std::string file = dir.file("short.wav");
    test::writeWav(file, std::vector<int16_t>(kRate / 10, 1000), kRate, 1);
    int calls = 0;
    {
        MemoryOutput output(kRate, window.poster(), "");
        output.wave().Notify = true;
        output.wave().Done = [&](int) { ++calls; };
        output.wave().StopCompleted = [&] { ++calls; };
        output.wave().FileName = file;
        output.wave().Command("Open");
        output.wave().Command("Play");
        output.wave().Command("Stop");
    }
    EXPECT_EQ(window.pending(), 2u);
    window.drain();
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tarvo
