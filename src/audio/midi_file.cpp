#include "midi_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "regular_file.h"

namespace tarvo {
namespace {

// A tune longer than this is not a tune we ship; the cap also bounds the
// work a damaged file can cause.
// Ours hold a few thousand events; reading more would hold the window.
constexpr size_t kMaxEvents = 200'000;
constexpr uintmax_t kMaxFileBytes = 16 << 20;
constexpr uint32_t kDefaultTempoUsPerQuarter = 500'000;  // 120 beats per minute

class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return pos_ >= size_; }
    bool has(size_t n) const { return size_ - pos_ >= n; }
    size_t pos() const { return pos_; }

    bool u8(uint8_t& out) {
        if (!has(1)) return false;
        out = data_[pos_++];
        return true;
    }
    bool peek(uint8_t& out) const {
        if (!has(1)) return false;
        out = data_[pos_];
        return true;
    }
    bool u16(uint32_t& out) {
        if (!has(2)) return false;
        out = (uint32_t{data_[pos_]} << 8) | data_[pos_ + 1];
        pos_ += 2;
        return true;
    }
    bool u32(uint32_t& out) {
        if (!has(4)) return false;
        out = (uint32_t{data_[pos_]} << 24) | (uint32_t{data_[pos_ + 1]} << 16) |
              (uint32_t{data_[pos_ + 2]} << 8) | data_[pos_ + 3];
        pos_ += 4;
        return true;
    }
    // Variable-length quantity: at most four bytes of seven bits.
    bool vlq(uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!u8(b)) return false;
            out = (out << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
    bool skip(size_t n) {
        if (!has(n)) return false;
        pos_ += n;
        return true;
    }
    bool tag(const char (&name)[5]) {
        if (!has(4) || !std::equal(name, name + 4, data_ + pos_)) return false;
        pos_ += 4;
        return true;
    }
    Reader sub(size_t n) const { return Reader(data_ + pos_, n); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

struct TickEvent {
    uint64_t tick;
    uint32_t tempo;  // non-zero for a tempo change, which carries no channel message
    MidiEvent event;
};

int dataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

bool readTrack(Reader track, std::vector<TickEvent>& out, uint64_t& lastTick) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!track.atEnd()) {
        uint32_t delta;
        if (!track.vlq(delta)) return false;
        tick += delta;
        lastTick = std::max(lastTick, tick);
        uint8_t status;
        if (!track.peek(status)) return false;
        if (status & 0x80) {
            track.skip(1);
        } else {
            if (running == 0) return false;  // data byte with no status to run on
            status = running;
        }
        if (status == 0xFF) {
            uint8_t type;
            uint32_t len;
            if (!track.u8(type) || !track.vlq(len) || !track.has(len)) return false;
            if (type == 0x51 && len == 3) {
                Reader r = track.sub(3);
                uint8_t a, b, c;
                r.u8(a), r.u8(b), r.u8(c);
                const uint32_t tempo = (uint32_t{a} << 16) | (uint32_t{b} << 8) | c;
                if (tempo > 0) out.push_back({tick, tempo, {}});
            }
            track.skip(len);
            if (type == 0x2F) break;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            uint32_t len;
            if (!track.vlq(len) || !track.skip(len)) return false;
            continue;
        }
        if (status >= 0xF0) return false;  // system messages have no place in a file
        running = status;
        MidiEvent e;
        e.status = status;
        if (!track.u8(e.data1)) return false;
        if (dataBytesOf(status) == 2 && !track.u8(e.data2)) return false;
        if ((e.data1 | e.data2) & 0x80) return false;
        if (out.size() >= kMaxEvents) return false;
        out.push_back({tick, 0, e});
    }
    return true;
}

}  // namespace

std::optional<MidiTune> parseMidi(const std::vector<uint8_t>& bytes) {
    Reader file(bytes.data(), bytes.size());
    uint32_t headerLen, format, trackCount, division;
    if (!file.tag("MThd") || !file.u32(headerLen) || headerLen < 6 || !file.has(headerLen)) {
        return std::nullopt;
    }
    Reader header = file.sub(headerLen);
    file.skip(headerLen);
    header.u16(format), header.u16(trackCount), header.u16(division);
    if (format > 1 || trackCount == 0 || division == 0) return std::nullopt;

    std::vector<TickEvent> ticks;
    uint64_t lastTick = 0;
    for (uint32_t t = 0; t < trackCount; ++t) {
        uint32_t len;
        // Skip chunks of kinds we do not know, as the format asks.
        while (!file.tag("MTrk")) {
            if (!file.skip(4) || !file.u32(len) || !file.skip(len)) return std::nullopt;
        }
        if (!file.u32(len) || !file.has(len)) return std::nullopt;
        if (!readTrack(file.sub(len), ticks, lastTick)) return std::nullopt;
        file.skip(len);
    }
    std::stable_sort(ticks.begin(), ticks.end(),
                     [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });

    // Seconds per tick: from the tempo for a metrical division, fixed for SMPTE.
    const bool smpte = (division & 0x8000) != 0;
    double smpteSecondsPerTick = 0;
    if (smpte) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        const int ticksPerFrame = division & 0xFF;
        if (framesPerSecond <= 0 || ticksPerFrame == 0) return std::nullopt;
        smpteSecondsPerTick =
            1.0 / (framesPerSecond == 29 ? 29.97 : framesPerSecond) / ticksPerFrame;
    }
    uint32_t tempo = kDefaultTempoUsPerQuarter;
    auto secondsPerTick = [&] { return smpte ? smpteSecondsPerTick : tempo / 1e6 / division; };

    MidiTune tune;
    double seconds = 0;
    uint64_t tick = 0;
    for (const TickEvent& te : ticks) {
        seconds += static_cast<double>(te.tick - tick) * secondsPerTick();
        tick = te.tick;
        if (te.tempo != 0) {
            tempo = te.tempo;
            continue;
        }
        MidiEvent e = te.event;
        e.seconds = seconds;
        tune.events.push_back(e);
    }
    tune.lengthSeconds = seconds + static_cast<double>(lastTick - tick) * secondsPerTick();
    return tune;
}

std::optional<MidiTune> readMidiFile(const std::string& path) {
    const int fd = openRegularFile(path);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::vector<uint8_t> bytes;
    bool read =
        ::fstat(fd, &status) == 0 && static_cast<uintmax_t>(status.st_size) <= kMaxFileBytes;
    if (read) {
        bytes.resize(static_cast<size_t>(status.st_size));
        for (size_t done = 0; read && done < bytes.size();) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            read = n > 0;
            if (read) done += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    if (!read) return std::nullopt;
    return parseMidi(bytes);
}

}  // namespace tarvo
