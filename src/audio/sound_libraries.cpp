#include "sound_libraries.h"

#include <dlfcn.h>

namespace tarvo {
namespace {

template <class Library, class Bind>
const Library* load(const char* soname, Bind bind) {
    static Library library;  // one for each kind
    // Local: their symbols stay out of the way of the window's own lookups.
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    return bind(handle, library) ? &library : nullptr;
}

template <class Function>
bool find(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

#define TARVO_FIND(name) found = find(handle, #name, library.name) && found;

// Opened at the first call only; the language makes that thread-safe.
#define TARVO_DEFINE_LOADER(Function, Type, soname, FUNCTIONS)                                 \
    const Type* Function() {                                                                   \
        static const Type* const loaded = load<Type>(soname, [](void* handle, Type& library) { \
            bool found = true;                                                                 \
            FUNCTIONS(TARVO_FIND)                                                              \
            return found;                                                                      \
        });                                                                                    \
        return loaded;                                                                         \
    }

}  // namespace

TARVO_DEFINE_LOADER(Fluid, FluidLibrary, "libfluidsynth.so.3", TARVO_FLUID_FUNCTIONS)
TARVO_DEFINE_LOADER(Sdl, SdlLibrary, "libSDL2-2.0.so.0", TARVO_SDL_FUNCTIONS)
namespace {
TARVO_DEFINE_LOADER(OpenPipeWire, PipeWireLibrary, "libpipewire-0.3.so.0", TARVO_PIPEWIRE_FUNCTIONS)
}  // namespace

const PipeWireLibrary* PipeWire() {
    static const PipeWireLibrary* const loaded = [] {
        const PipeWireLibrary* library = OpenPipeWire();
        if (library != nullptr) library->pw_init(nullptr, nullptr);
        return library;
    }();
    return loaded;
}

TARVO_DEFINE_LOADER(Pulse, PulseLibrary, "libpulse.so.0", TARVO_PULSE_FUNCTIONS)
TARVO_DEFINE_LOADER(Alsa, AlsaLibrary, "libasound.so.2", TARVO_ALSA_FUNCTIONS)
TARVO_DEFINE_LOADER(Glib, GlibLibrary, "libglib-2.0.so.0", TARVO_GLIB_FUNCTIONS)

}  // namespace tarvo
