// The music device against the real soundfont.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "audio_engine.h"
#include "memory_output.h"
#include "soundfont.h"
#include "test_support.h"

namespace tarvo {
namespace {

// Bytes this process has read from files so far (this read itself, a few
// hundred bytes, included).
long long bytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return -1;
}

// With dynamic sample loading, an instrument is read from the soundfont at
// its first note unless the tunes were named before the soundfont loaded:
// then playing them reads nothing more, inside the render or anywhere.
TEST(MusicDevice, TheTunesNamedBeforehandPlayWithoutReadingTheSoundfont) {
    const std::string soundfont = findSoundfont();
    if (soundfont.empty()) GTEST_SKIP() << "no soundfont here";
    const std::vector<std::string> tunes = {test::soundFile("Music/7carte.mid"),
                                            test::soundFile("Music/borvio2.mid")};
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "named beforehand" : "not named");
        std::mutex lock;
        test::WindowQueue window;
        AudioEngine engine(test::kRate, lock, window.poster(), soundfont);
        if (named) engine.music().preload(tunes);
        engine.music().loadSynth();
        long long read = 0;
        for (const std::string& tune : tunes) {
            engine.music().FileName = tune;
            engine.music().Command("Open");
            engine.music().Command("Play");
            std::vector<float> out(2 * 1024);
            const long long before = bytesRead();
            for (int i = 0; i < 10 * test::kRate / 1024; ++i) {
                std::lock_guard guard(lock);
                engine.render(out.data(), 1024);
            }
            read += bytesRead() - before;
        }
        // An instrument's samples are tens of kilobytes at the least.
        constexpr long long kInstrumentBytes = 16 << 10;
        if (named) {
            EXPECT_LT(read, kInstrumentBytes);
        } else {
            EXPECT_GT(read, kInstrumentBytes) << "the check cannot see the soundfont being read";
        }
    }
}

// The loop's top is reached in whatever frames a period has left after the
// end: its first moment's notes must all sound there, as in a fresh play.
TEST(MusicDevice, TheTopOfALoopingTuneSoundsAsAtItsFirstPlay) {
    const std::string soundfont = findSoundfont();
    if (soundfont.empty()) GTEST_SKIP() << "no soundfont here";
    constexpr int kBlock = 256;
    constexpr int kTop = test::kRate / 5;
    std::vector<std::function<void()>> posted;
    MemoryOutput looped(
        test::kRate, [&](std::function<void()> f) { posted.push_back(std::move(f)); }, soundfont);
    MemoryOutput fresh(
        test::kRate, [](std::function<void()>) {}, soundfont);
    MciDevice& music = looped.music();
    music.Notify = true;
    music.Done = [&](int) {
        music.setFrom(0);
        music.Command("Play");
    };
    for (MciDevice* m : {&music, static_cast<MciDevice*>(&fresh.music())}) {
        m->FileName = test::soundFile("Music/7carte.mid");
        m->Command("Open");
        m->Command("Play");
    }
    const int64_t end = int64_t{music.Length()} * test::kRate / 1000;
    std::vector<float> heard;
    while (static_cast<int64_t>(heard.size() / 2) < end + kTop) {
        const std::vector<float> block = looped.pull(kBlock);
        heard.insert(heard.end(), block.begin(), block.end());
        for (auto& f : std::exchange(posted, {}))
            f();
    }
    const std::vector<float> top = fresh.pull(kTop);
    double topEnergy = 0;
    double missing = 0;
    for (int i = 0; i < 2 * kTop; ++i) {
        topEnergy += double{top[i]} * top[i];
        const double d = heard[2 * end + i] - top[i];
        missing += d * d;
    }
    // What rings on from the end differs by 0.6 of the top; lost notes, by all of it.
    EXPECT_LT(std::sqrt(missing / topEnergy), 0.8);
}

}  // namespace
}  // namespace tarvo
