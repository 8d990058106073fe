// tarvo-render-sound: plays one of the game's sound files through the game's
// own devices and writes what the output would hear to a 16-bit WAV file.
//
//   tarvo-render-sound IN OUT.wav [PLAYS] [RATE]
//
// A .mid file plays on the music device, anything else on the card-sound
// device. PLAYS > 1 lets the tune loop as the game loops it (rewind and play
// again at each end), to hear the seam. Exits 1 if the file does not play.

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "memory_output.h"
#include "soundfont.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s IN OUT.wav [PLAYS] [RATE]\n", argv[0]);
        return 2;
    }
    const std::string in = argv[1];
    const int plays = argc > 3 ? std::atoi(argv[3]) : 1;
    const int rate = argc > 4 ? std::atoi(argv[4]) : 44100;

    std::vector<std::function<void()>> posted;
    tarvo::MemoryOutput output(
        rate, [&](std::function<void()> f) { posted.push_back(f); }, tarvo::findSoundfont());
    const bool midi = in.size() > 4 && in.substr(in.size() - 4) == ".mid";
    tarvo::MciDevice& device = midi ? static_cast<tarvo::MciDevice&>(output.music())
                                    : static_cast<tarvo::MciDevice&>(output.wave());
    int ends = 0;
    device.Notify = true;
    device.Done = [&](int) {
        if (device.Position() != device.Length()) return;
        if (++ends < plays) {
            device.setFrom(0);
            device.Command("Play");
        }
    };
    device.FileName = in;
    device.Command("Open");
    if (device.Length() == 0) {
        std::fprintf(stderr, "%s: cannot play %s\n", argv[0], in.c_str());
        return 1;
    }
    device.Command("Play");

    std::vector<float> all;
    constexpr int kBlock = 512;
    while (ends < plays) {
        const std::vector<float> block = output.pull(kBlock);
        all.insert(all.end(), block.begin(), block.end());
        std::vector<std::function<void()>> now;
        now.swap(posted);
        for (auto& f : now)
            f();
    }

    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(argv[2], SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    sf_writef_float(file, all.data(), static_cast<sf_count_t>(all.size() / 2));
    sf_close(file);
    std::printf("%s: %d play(s), length %d ms, %.3f s written at %d Hz\n", in.c_str(), plays,
                device.Length(), static_cast<double>(all.size() / 2) / rate, rate);
    return 0;
}
