#pragma once
// A Standard MIDI File read into one time-ordered list of channel events.
// We sequence the tune ourselves, so the file's own tempo map decides when
// each event sounds and how long the tune is.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

struct MidiEvent {
    double seconds = 0;  // from the start of the tune
    uint8_t status = 0;  // channel message: kind in the high nibble, channel in the low
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

struct MidiTune {
    std::vector<MidiEvent> events;  // sorted by time; same-time events keep file order
    double lengthSeconds = 0;       // time of the last event, End of Track included
};

// Parses format 0 and 1 files, metrical or SMPTE time division. Returns
// nothing for a file that is not a well-formed MIDI file.
std::optional<MidiTune> parseMidi(const std::vector<uint8_t>& bytes);
std::optional<MidiTune> readMidiFile(const std::string& path);

}  // namespace tarvo
