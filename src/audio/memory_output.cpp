#include "memory_output.h"

namespace tarvo {

MemoryOutput::MemoryOutput(int sampleRate, Poster post, const std::string& soundfont)
    : engine_(sampleRate, lock_, std::move(post), soundfont) {
    engine_.music().loadSynth();
}

std::vector<float> MemoryOutput::pull(int frames) {
    std::vector<float> out(2 * static_cast<size_t>(frames));
    std::lock_guard guard(lock_);
    engine_.render(out.data(), frames);
    return out;
}

}  // namespace tarvo
