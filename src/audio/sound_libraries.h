#pragma once
// FluidSynth, SDL, ALSA and GLib, opened at run time by the sound thread.
// Linked into the program they would load some forty libraries before the
// window could start; opened here they load beside it, and a missing one
// only leaves the game silent.

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <glib.h>

namespace tarvo {

// One name a line: the functions each library must have.
// clang-format off
#define TARVO_FLUID_FUNCTIONS(X)             \
    X(new_fluid_settings)                    \
    X(delete_fluid_settings)                 \
    X(fluid_settings_setint)                 \
    X(fluid_settings_setnum)                 \
    X(new_fluid_synth)                       \
    X(delete_fluid_synth)                    \
    X(fluid_set_log_function)                \
    X(fluid_synth_sfload)                    \
    X(fluid_synth_set_reverb_group_roomsize) \
    X(fluid_synth_set_reverb_group_level)    \
    X(fluid_synth_set_reverb_group_width)    \
    X(fluid_synth_set_reverb_group_damp)     \
    X(fluid_synth_all_sounds_off)            \
    X(fluid_synth_all_notes_off)             \
    X(fluid_synth_noteon)                    \
    X(fluid_synth_noteoff)                   \
    X(fluid_synth_key_pressure)              \
    X(fluid_synth_cc)                        \
    X(fluid_synth_program_change)            \
    X(fluid_synth_program_select)            \
    X(fluid_synth_channel_pressure)          \
    X(fluid_synth_pitch_bend)                \
    X(fluid_synth_get_active_voice_count)    \
    X(fluid_synth_write_float)

#define TARVO_SDL_FUNCTIONS(X)   \
    X(SDL_SetHint)               \
    X(SDL_AudioInit)             \
    X(SDL_AudioQuit)             \
    X(SDL_GetCurrentAudioDriver) \
    X(SDL_OpenAudioDevice)       \
    X(SDL_PauseAudioDevice)      \
    X(SDL_CloseAudioDevice)      \
    X(SDL_GetAudioDeviceStatus)  \
    X(SDL_TLSCleanup)
// clang-format on

#define TARVO_ALSA_FUNCTIONS(X) X(snd_lib_error_set_handler)

#define TARVO_GLIB_FUNCTIONS(X) X(g_log_set_default_handler)

#define TARVO_POINTER_TO(name) decltype(&::name) name = nullptr;

struct FluidLibrary {
    TARVO_FLUID_FUNCTIONS(TARVO_POINTER_TO)
};
struct SdlLibrary {
    TARVO_SDL_FUNCTIONS(TARVO_POINTER_TO)
};
struct AlsaLibrary {
    TARVO_ALSA_FUNCTIONS(TARVO_POINTER_TO)
};
struct GlibLibrary {
    TARVO_GLIB_FUNCTIONS(TARVO_POINTER_TO)
};

// Each is opened at its first call, from any thread, and kept for the run;
// nullptr if it is not installed or lacks a function we call.
const FluidLibrary* Fluid();
const SdlLibrary* Sdl();
const AlsaLibrary* Alsa();
const GlibLibrary* Glib();

}  // namespace tarvo
