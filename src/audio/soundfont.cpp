#include "soundfont.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace tarvo {

std::string findSoundfont() {
    if (const char* chosen = std::getenv("TARVO_SOUNDFONT")) return chosen;

    // timgm6mb-soundfont first: small and enough for our tunes; then whatever
    // the system made its default General MIDI soundfont.
    static const char* const kCandidates[] = {
        "sounds/sf2/TimGM6mb.sf2",
        "sounds/sf2/default-GM.sf2",
        "sounds/sf2/FluidR3_GM.sf2",
        "sounds/sf3/default-GM.sf3",
    };
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs != nullptr && *dirs != '\0' ? dirs
                                                             : "/usr/local/share:/usr/share");
    std::string dir;
    std::error_code ignored;
    while (std::getline(list, dir, ':')) {
        if (dir.empty()) continue;
        for (const char* candidate : kCandidates) {
            const std::filesystem::path path = std::filesystem::path(dir) / candidate;
            if (std::filesystem::is_regular_file(path, ignored)) return path.string();
        }
    }
    return {};
}

}  // namespace tarvo
