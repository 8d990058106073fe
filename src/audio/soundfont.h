#pragma once

#include <string>

namespace tarvo {

// The General MIDI soundfont the music plays with: $TARVO_SOUNDFONT if set,
// else the first of the usual Debian soundfonts found in the data folders
// ($XDG_DATA_DIRS, or /usr/local/share and /usr/share). Empty if none is found.
std::string findSoundfont();

}  // namespace tarvo
