// Reading tunes: the tempo map decides when every event sounds and how long
// the tune is, since the music device ends a play by it.

#include <gtest/gtest.h>

#include <vector>

#include "midi_file.h"
#include "test_support.h"

namespace tarvo {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes smf(int format, uint16_t division, const std::vector<Bytes>& tracks) {
    Bytes out = {'M',
                 'T',
                 'h',
                 'd',
                 0,
                 0,
                 0,
                 6,
                 0,
                 static_cast<uint8_t>(format),
                 0,
                 static_cast<uint8_t>(tracks.size()),
                 static_cast<uint8_t>(division >> 8),
                 static_cast<uint8_t>(division & 0xFF)};
    for (const Bytes& t : tracks) {
        const auto n = static_cast<uint32_t>(t.size());
        out.insert(out.end(), {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24),
                               static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                               static_cast<uint8_t>(n)});
        out.insert(out.end(), t.begin(), t.end());
    }
    return out;
}

const Bytes kEnd = {0xFF, 0x2F, 0x00};
Bytes tempo(uint32_t usPerQuarter) {
    return {0xFF,
            0x51,
            0x03,
            static_cast<uint8_t>(usPerQuarter >> 16),
            static_cast<uint8_t>(usPerQuarter >> 8),
            static_cast<uint8_t>(usPerQuarter)};
}
Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(MidiFile, TimesAndLengthFollowTheTempoMap) {
    struct Case {
        const char* name;
        Bytes file;
        std::vector<double> eventSeconds;
        double lengthSeconds;
    };
    const std::vector<Case> cases = {
        {"120 beats a minute when the file names no tempo",
         smf(0, 480, {cat({{0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0}, {0x83, 0x60}, kEnd})}),
         {0.0, 0.5},
         1.0},
        {"a tempo change applies from its tick on",
         smf(0, 480,
             {cat({{0x00},
                   tempo(1'000'000),
                   {0x83, 0x60, 0x90, 60, 100},
                   {0x00},
                   tempo(250'000),
                   {0x83, 0x60, 0x80, 60, 0},
                   {0x83, 0x60},
                   kEnd})}),
         {1.0, 1.25},
         1.5},
        {"the conductor track times the other tracks",
         smf(1, 96,
             {cat({{0x00}, tempo(600'000), {0x60}, tempo(300'000), {0x00}, kEnd}),
              cat({{0x81, 0x40, 0x91, 64, 90, 0x60, 0x81, 64, 0}, {0x00}, kEnd})}),
         {0.9, 1.2},
         1.2},
        {"the longest track sets the length",
         smf(1, 480,
             {cat({{0x00}, tempo(500'000), {0x00}, kEnd}),
              cat({{0x00, 0xC0, 5, 0x00, 0x90, 60, 100, 0x8F, 0x00, 0x80, 60, 0}, {0x00}, kEnd})}),
         {0.0, 0.0, 2.0},
         2.0},
        {"running status carries the note messages",
         smf(0, 480,
             {cat({{0x00, 0x90, 60, 100, 0x00, 64, 100, 0x83, 0x60, 60, 0, 0x00, 64, 0},
                   {0x00},
                   kEnd})}),
         {0.0, 0.0, 0.5, 0.5},
         0.5},
        {"SMPTE time: 25 frames of 40 ticks a second",
         smf(0, 0xE728, {cat({{0x00, 0x90, 60, 100, 0x87, 0x68, 0x80, 60, 0}, {0x00}, kEnd})}),
         {0.0, 1.0},
         1.0},
        {"meta and system exclusive events take no part",
         smf(0, 480,
             {cat({{0x00, 0xFF, 0x03, 0x02, 'h', 'i', 0x00, 0xF0, 0x02, 0x7E, 0xF7},
                   {0x83, 0x60, 0xB0, 7, 100},
                   {0x00},
                   kEnd})}),
         {0.5},
         0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<MidiTune> tune = parseMidi(c.file);
        ASSERT_TRUE(tune.has_value());
        std::vector<double> seconds;
        for (const MidiEvent& e : tune->events)
            seconds.push_back(e.seconds);
        ASSERT_EQ(seconds.size(), c.eventSeconds.size());
        for (size_t i = 0; i < seconds.size(); ++i)
            EXPECT_NEAR(seconds[i], c.eventSeconds[i], 1e-9);
        EXPECT_NEAR(tune->lengthSeconds, c.lengthSeconds, 1e-9);
    }
}

TEST(MidiFile, RunningStatusKeepsTheMessageAndChannel) {
    const auto tune = parseMidi(smf(
        0, 480, {cat({{0x00, 0x93, 60, 100, 0x10, 62, 90, 0x10, 0xE3, 0x00, 0x40, 0x00}, kEnd})}));
    ASSERT_TRUE(tune.has_value());
    ASSERT_EQ(tune->events.size(), 3u);
    EXPECT_EQ(tune->events[1].status, 0x93);
    EXPECT_EQ(tune->events[1].data1, 62);
    EXPECT_EQ(tune->events[1].data2, 90);
    EXPECT_EQ(tune->events[2].status, 0xE3);
    EXPECT_EQ(tune->events[2].data2, 0x40);
}

TEST(MidiFile, RejectsWhatIsNotAPlayableFile) {
    const Bytes good = smf(0, 480, {cat({{0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00}, kEnd})});
    ASSERT_TRUE(parseMidi(good).has_value());
    struct Case {
        const char* name;
        Bytes file;
    };
    const std::vector<Case> cases = {
        {"nothing", {}},
        {"a WAV header", {'R', 'I', 'F', 'F', 0x24, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"a cut header", Bytes(good.begin(), good.begin() + 10)},
        {"a cut track", Bytes(good.begin(), good.end() - 6)},
        {"format 2", smf(2, 480, {kEnd})},
        {"no tracks", smf(0, 480, {})},
        {"a data byte before any status", smf(0, 480, {cat({{0x00, 60, 100}, kEnd})})},
        {"a delta time that never ends", smf(0, 480, {{0x80, 0x80, 0x80, 0x80, 0x00}})},
        {"a meta event longer than its track", smf(0, 480, {{0x00, 0xFF, 0x01, 0x7F, 'x'}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(parseMidi(c.file).has_value());
    }
}

TEST(MidiFile, OurTunesLastAsComposed) {
    const auto background = readMidiFile(test::soundFile("Music/7carte.mid"));
    const auto victory = readMidiFile(test::soundFile("Music/borvio2.mid"));
    ASSERT_TRUE(background && victory);
    EXPECT_GE(background->lengthSeconds, 60.0);
    EXPECT_LE(background->lengthSeconds, 120.0);
    EXPECT_GE(victory->lengthSeconds, 5.0);
    EXPECT_LE(victory->lengthSeconds, 15.0);
}

}  // namespace
}  // namespace tarvo
