// The cost of the game's sound: how many times faster than real time the
// background tune renders through the music device; and, through the real
// output, the start-up, the card sound's latency, the music's CPU and the
// loop's seam.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "memory_output.h"
#include "sound_system.h"
#include "soundfont.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlockFrames = 1024;  // what the output pulls at a time

void BM_RenderBackgroundTune(benchmark::State& state) {
    tarvo::MemoryOutput output(
        kRate, [](std::function<void()>) {}, tarvo::findSoundfont());
    tarvo::MciDevice& music = output.music();
    music.FileName = std::string(TARVO_SOUNDS_DIR) + "/Music/7carte.mid";
    music.Command("Open");
    if (music.Length() == 0) {
        state.SkipWithError("the tune does not open (no soundfont?)");
        return;
    }
    music.Command("Play");
    int64_t frames = 0;
    for (auto _ : state) {
        if (music.Position() == music.Length()) {
            music.setFrom(0);
            music.Command("Play");
        }
        benchmark::DoNotOptimize(output.pull(kBlockFrames));
        frames += kBlockFrames;
    }
    // Seconds of music per second of CPU: "times faster than real time".
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderBackgroundTune)->Unit(benchmark::kMicrosecond);

void BM_RenderCardSound(benchmark::State& state) {
    tarvo::MemoryOutput output(
        kRate, [](std::function<void()>) {}, "");
    tarvo::MciDevice& wave = output.wave();
    wave.FileName = std::string(TARVO_SOUNDS_DIR) + "/carta.wav";
    wave.Command("Open");
    int64_t frames = 0;
    for (auto _ : state) {
        if (wave.Position() == wave.Length()) wave.setFrom(0);
        wave.Command("Play");
        benchmark::DoNotOptimize(output.pull(kBlockFrames));
        frames += kBlockFrames;
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderCardSound)->Unit(benchmark::kMicrosecond);

std::string soundFile(const char* name) {
    return std::string(TARVO_SOUNDS_DIR) + "/" + name;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<size_t>(p * static_cast<double>(v.size() - 1))];
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto s = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

using Clock = std::chrono::steady_clock;

// The game ends the process when the sound thread is slow to close; a
// benchmark waits for it instead.
tarvo::SoundSystem::Options waited(tarvo::SoundSystem::Options options = {}) {
    options.quitWait = std::chrono::seconds(30);
    options.leftBehind = [] { std::fprintf(stderr, "the sound thread did not end\n"); };
    return options;
}

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Not timings of a loop: the figures of the real output on this machine,
// measured once. The environment decides the driver (no server: dummy;
// PULSE_SERVER set: pulseaudio; ...).
void BM_StartUp(benchmark::State& state) {
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto system = tarvo::SoundSystem::open([](std::function<void()>) {}, waited());
        system->wave().FileName = soundFile("carta.wav");
        system->wave().Command("Open");
        system->music().FileName = soundFile("Music/7carte.mid");
        system->music().Command("Open");
        state.counters["window_thread_ms"] = msSince(t0);
        system->waitUntilStarted();
        state.counters["output_ready_ms"] = msSince(t0);
        state.SetLabel("driver " + system->driver());
    }
}
BENCHMARK(BM_StartUp)->Iterations(1)->Unit(benchmark::kMillisecond);

// From "Play" of the card sound to its first frames rendered into the
// buffer SDL hands to the driver, over many requests at random moments;
// the driver then holds about one period more before the sound is heard.
void BM_CardSoundLatency(benchmark::State& state) {
    const bool quiet = state.range(0) != 0;
    auto system = tarvo::SoundSystem::open(
        [](std::function<void()>) {},
        waited({.idleClose = std::chrono::milliseconds(quiet ? 100 : 60000)}));
    system->waitUntilStarted();
    tarvo::MciDevice& wave = system->wave();
    wave.FileName = soundFile("carta.wav");
    wave.Command("Open");
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pauseMs(20, 60);
    std::vector<double> latencies;
    int period = 0;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            if (quiet) {
                // The output has closed; the press readies it, the release plays.
                while (system->outputOpen())
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                system->prepare();
                std::this_thread::sleep_for(std::chrono::milliseconds(80));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
            }
            period = std::max(period, system->bufferFrames());
            wave.setFrom(0);
            const auto t0 = Clock::now();
            wave.Command("Play");
            while (wave.Position() == 0 && msSince(t0) < 2000) {
            }
            latencies.push_back(msSince(t0));
            while (wave.Position() != wave.Length())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    const double periodMs = 1000.0 * period / system->sampleRate();
    state.counters["median_ms"] = percentile(latencies, 0.5);
    state.counters["p95_ms"] = percentile(latencies, 0.95);
    state.counters["max_ms"] = percentile(latencies, 1.0);
    state.counters["period_ms"] = periodMs;
    state.counters["median_plus_period_ms"] = percentile(latencies, 0.5) + periodMs;
    state.SetLabel("driver " + system->driver() + (quiet ? ", after a quiet spell" : ""));
}
BENCHMARK(BM_CardSoundLatency)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// The music's cost over 10 s of real time, through the real output.
void BM_MusicCpu(benchmark::State& state) {
    const bool music = state.range(0) != 0;
    auto system = tarvo::SoundSystem::open([](std::function<void()>) {}, waited());
    system->waitUntilStarted();
    system->music().FileName = soundFile("Music/7carte.mid");
    system->music().Command("Open");
    if (music) {
        system->music().Command("Play");
    } else {
        // Idle: the output closes after its quiet spell.
        while (system->outputOpen())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (auto _ : state) {
        const double before = cpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        state.counters["cpu_s_per_10s"] = cpuSeconds() - before;
    }
    state.SetLabel(std::string(music ? "music on" : "idle, music off") + ", driver " +
                   system->driver());
}
BENCHMARK(BM_MusicCpu)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

// How late the top of a tune comes after its end, the restart made by the
// window's handler from the end's notification: the lag at which the
// rendered loop best matches a fresh play from the top.
void BM_LoopGap(benchmark::State& state) {
    const char* tune = state.range(0) == 0 ? "Music/7carte.mid" : "Music/borvio2.mid";
    constexpr int kBlock = 256;
    constexpr int kWindow = kRate / 2;
    constexpr int kMaxLag = 2048;
    double gapMs = 0;
    for (auto _ : state) {
        std::vector<std::function<void()>> posted;
        tarvo::MemoryOutput looped(
            kRate, [&](std::function<void()> f) { posted.push_back(std::move(f)); },
            tarvo::findSoundfont());
        tarvo::MemoryOutput fresh(
            kRate, [](std::function<void()>) {}, tarvo::findSoundfont());
        tarvo::MciDevice& music = looped.music();
        music.Notify = true;
        music.Done = [&](int) {
            if (music.Position() != music.Length()) return;
            music.setFrom(0);
            music.Command("Play");
        };
        for (tarvo::MciDevice* m : {&music, static_cast<tarvo::MciDevice*>(&fresh.music())}) {
            m->FileName = soundFile(tune);
            m->Command("Open");
            m->Command("Play");
        }
        if (music.Length() == 0) {
            state.SkipWithError("the tune does not open (no soundfont?)");
            return;
        }
        const int64_t end = int64_t{music.Length()} * kRate / 1000;
        std::vector<float> heard;
        while (static_cast<int64_t>(heard.size() / 2) < end + kWindow + kMaxLag) {
            const std::vector<float> block = looped.pull(kBlock);
            heard.insert(heard.end(), block.begin(), block.end());
            for (auto& f : std::exchange(posted, {}))
                f();
        }
        const std::vector<float> top = fresh.pull(kWindow);
        double best = -1e300;
        for (int lag = 0; lag < kMaxLag; ++lag) {
            double sum = 0;
            const float* at = heard.data() + 2 * (end + lag);
            for (int i = 0; i < 2 * kWindow; ++i)
                sum += double{at[i]} * top[i];
            if (sum > best) {
                best = sum;
                gapMs = 1000.0 * lag / kRate;
            }
        }
    }
    state.counters["gap_ms"] = gapMs;
    state.SetLabel(tune);
}
BENCHMARK(BM_LoopGap)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
