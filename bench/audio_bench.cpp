// The cost of the game's sound: how many times faster than real time the
// background tune renders through the music device, and how long the output
// buffer makes a card sound wait.

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

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

// Not a timing: the output as this machine grants it, printed once.
void BM_OutputLatency(benchmark::State& state) {
    auto system = tarvo::SoundSystem::open([](std::function<void()>) {});
    for (auto _ : state)
        benchmark::DoNotOptimize(system->sampleRate());
    const double rate = system->sampleRate();
    state.counters["buffer_frames"] = system->bufferFrames();
    state.counters["rate_hz"] = rate;
    state.counters["latency_ms"] = rate > 0 ? 1000.0 * system->bufferFrames() / rate : 0;
    state.SetLabel("driver " + system->driver());
}
BENCHMARK(BM_OutputLatency)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
