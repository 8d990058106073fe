#pragma once
// FluidSynth, SDL, PipeWire, PulseAudio, ALSA and GLib, opened at run time by the sound thread.
// Linked into the program they would load some forty libraries before the
// window could start; opened here they load beside it, and a missing one
// only leaves the game silent.

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <glib.h>
#include <pipewire/pipewire.h>
#include <pulse/pulseaudio.h>

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

#define TARVO_PIPEWIRE_FUNCTIONS(X) \
    X(pw_init)                      \
    X(pw_properties_new)            \
    X(pw_thread_loop_new)           \
    X(pw_thread_loop_get_loop)      \
    X(pw_thread_loop_start)         \
    X(pw_thread_loop_stop)          \
    X(pw_thread_loop_destroy)       \
    X(pw_thread_loop_lock)          \
    X(pw_thread_loop_unlock)        \
    X(pw_context_new)               \
    X(pw_context_destroy)           \
    X(pw_context_connect)           \
    X(pw_core_disconnect)           \
    X(pw_stream_new)                \
    X(pw_stream_add_listener)       \
    X(pw_stream_connect)            \
    X(pw_stream_destroy)            \
    X(pw_stream_set_active)         \
    X(pw_stream_flush)              \
    X(pw_stream_dequeue_buffer)     \
    X(pw_stream_queue_buffer)

#define TARVO_PULSE_FUNCTIONS(X)       \
    X(pa_threaded_mainloop_new)        \
    X(pa_threaded_mainloop_free)       \
    X(pa_threaded_mainloop_start)      \
    X(pa_threaded_mainloop_stop)       \
    X(pa_threaded_mainloop_lock)       \
    X(pa_threaded_mainloop_unlock)     \
    X(pa_threaded_mainloop_wait)       \
    X(pa_threaded_mainloop_signal)     \
    X(pa_threaded_mainloop_get_api)    \
    X(pa_context_new)                  \
    X(pa_context_unref)                \
    X(pa_context_set_state_callback)   \
    X(pa_context_connect)              \
    X(pa_context_disconnect)           \
    X(pa_context_get_state)            \
    X(pa_stream_new)                   \
    X(pa_stream_unref)                 \
    X(pa_stream_set_state_callback)    \
    X(pa_stream_set_write_callback)    \
    X(pa_stream_connect_playback)      \
    X(pa_stream_disconnect)            \
    X(pa_stream_get_state)             \
    X(pa_stream_begin_write)           \
    X(pa_stream_cancel_write)          \
    X(pa_stream_write)
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
struct PipeWireLibrary {
    TARVO_PIPEWIRE_FUNCTIONS(TARVO_POINTER_TO)
};
struct PulseLibrary {
    TARVO_PULSE_FUNCTIONS(TARVO_POINTER_TO)
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
// PipeWire is set up (pw_init) as it is opened.
const PipeWireLibrary* PipeWire();
const PulseLibrary* Pulse();
const AlsaLibrary* Alsa();
const GlibLibrary* Glib();

}  // namespace tarvo
