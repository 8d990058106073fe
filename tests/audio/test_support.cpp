#include "test_support.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace tarvo::test {

ScratchDir::ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "tarvo-audio-" + std::to_string(::getpid());
    if (info != nullptr) name += std::string("-") + info->test_suite_name() + "-" + info->name();
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate,
              int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) throw std::runtime_error("cannot write " + path);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> midiFile(uint16_t ticksPerQuarter, const std::vector<uint8_t>& track) {
    const auto n = static_cast<uint32_t>(track.size());
    const uint8_t header[] = {'M',
                              'T',
                              'h',
                              'd',
                              0,
                              0,
                              0,
                              6,
                              0,
                              0,
                              0,
                              1,
                              static_cast<uint8_t>(ticksPerQuarter >> 8),
                              static_cast<uint8_t>(ticksPerQuarter & 0xFF),
                              'M',
                              'T',
                              'r',
                              'k',
                              static_cast<uint8_t>(n >> 24),
                              static_cast<uint8_t>(n >> 16),
                              static_cast<uint8_t>(n >> 8),
                              static_cast<uint8_t>(n)};
    // Sized once: GCC 12's optimiser warns falsely on vector::insert here.
    std::vector<uint8_t> bytes(sizeof header + track.size());
    std::copy(std::begin(header), std::end(header), bytes.begin());
    std::copy(track.begin(), track.end(), bytes.begin() + sizeof header);
    return bytes;
}

StderrCapture::StderrCapture(const std::string& path) : path_(path) {
    std::fflush(stderr);
    saved_ = ::dup(2);
    std::FILE* file = std::fopen(path.c_str(), "w");
    ::dup2(::fileno(file), 2);
    std::fclose(file);
}

std::string StderrCapture::finish() {
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    std::ifstream in(path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double rms(const std::vector<float>& samples) {
    double sum = 0;
    for (float s : samples)
        sum += double{s} * s;
    return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

}  // namespace tarvo::test
