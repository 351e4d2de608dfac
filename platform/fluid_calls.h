#pragma once

// The FluidSynth calls the built-in synthesizer makes, reached through the
// synthesizer module (platform/fluid/fluid_module.cpp) so that the program
// starts without FluidSynth and the forty-odd libraries it links: the module
// is loaded by the first open of a synthesizer. Only FluidSynth's header is
// used here; the table's types are the functions' own, checked when the
// module is built.

#include <fluidsynth.h>

#include <string>

namespace rz {

#define RZ_FLUID_CALLS(X)                                             \
    X(set_log_function, fluid_set_log_function)                       \
    X(new_settings, new_fluid_settings)                               \
    X(delete_settings, delete_fluid_settings)                         \
    X(settings_setnum, fluid_settings_setnum)                         \
    X(settings_getnum, fluid_settings_getnum)                         \
    X(settings_setint, fluid_settings_setint)                         \
    X(settings_setstr, fluid_settings_setstr)                         \
    X(new_synth, new_fluid_synth)                                     \
    X(delete_synth, delete_fluid_synth)                               \
    X(new_audio_driver2, new_fluid_audio_driver2)                     \
    X(delete_audio_driver, delete_fluid_audio_driver)                 \
    X(synth_noteon, fluid_synth_noteon)                               \
    X(synth_noteoff, fluid_synth_noteoff)                             \
    X(synth_key_pressure, fluid_synth_key_pressure)                   \
    X(synth_cc, fluid_synth_cc)                                       \
    X(synth_program_change, fluid_synth_program_change)               \
    X(synth_channel_pressure, fluid_synth_channel_pressure)           \
    X(synth_pitch_bend, fluid_synth_pitch_bend)                       \
    X(synth_sysex, fluid_synth_sysex)                                 \
    X(synth_process, fluid_synth_process)                             \
    X(synth_program_reset, fluid_synth_program_reset)                 \
    X(synth_sfload, fluid_synth_sfload)                               \
    X(synth_sfunload, fluid_synth_sfunload)                           \
    X(synth_sfcount, fluid_synth_sfcount)                             \
    X(synth_get_sfont, fluid_synth_get_sfont)                         \
    X(synth_get_sfont_by_id, fluid_synth_get_sfont_by_id)             \
    X(synth_add_sfont, fluid_synth_add_sfont)                         \
    X(synth_remove_sfont, fluid_synth_remove_sfont)                   \
    X(synth_add_sfloader, fluid_synth_add_sfloader)                   \
    X(synth_set_bank_offset, fluid_synth_set_bank_offset)             \
    X(synth_get_bank_offset, fluid_synth_get_bank_offset)             \
    X(synth_alloc_voice, fluid_synth_alloc_voice)                     \
    X(synth_start_voice, fluid_synth_start_voice)                     \
    X(new_defsfloader, new_fluid_defsfloader)                         \
    X(sfloader_set_callbacks, fluid_sfloader_set_callbacks)           \
    X(new_sfont, new_fluid_sfont)                                     \
    X(delete_sfont, delete_fluid_sfont)                               \
    X(sfont_get_data, fluid_sfont_get_data)                           \
    X(sfont_set_data, fluid_sfont_set_data)                           \
    X(sfont_get_id, fluid_sfont_get_id)                               \
    X(sfont_iteration_start, fluid_sfont_iteration_start)             \
    X(sfont_iteration_next, fluid_sfont_iteration_next)               \
    X(new_preset, new_fluid_preset)                                   \
    X(delete_preset, delete_fluid_preset)                             \
    X(preset_get_data, fluid_preset_get_data)                         \
    X(preset_set_data, fluid_preset_set_data)                         \
    X(preset_get_name, fluid_preset_get_name)                         \
    X(preset_get_banknum, fluid_preset_get_banknum)                   \
    X(preset_get_num, fluid_preset_get_num)                           \
    X(new_sample, new_fluid_sample)                                   \
    X(delete_sample, delete_fluid_sample)                             \
    X(sample_set_name, fluid_sample_set_name)                         \
    X(sample_set_sound_data, fluid_sample_set_sound_data)             \
    X(sample_set_pitch, fluid_sample_set_pitch)

struct FluidCalls {
#define RZ_FLUID_MEMBER(member, function) decltype(&::function) member = nullptr;
    RZ_FLUID_CALLS(RZ_FLUID_MEMBER)
#undef RZ_FLUID_MEMBER
};

struct SynthModule {
    int version = 0;
    FluidCalls calls;
};

// Raised whenever the table changes, so a stale module is refused.
inline constexpr int kSynthModuleVersion = 1;
// The module's one exported function: `const SynthModule* rzSynthModule()`.
inline constexpr char kSynthModuleEntry[] = "rzSynthModule";

// The module's calls, loaded once by the first call from any thread (which
// waits for the load); null when it cannot be loaded, with the reason in
// synthModuleProblem(). Never on a realtime thread.
const FluidCalls* loadSynthModule();
std::string synthModuleProblem();

// The calls of the module loaded already: only where a synthesizer exists.
// Any thread, the audio one too.
const FluidCalls& fluid();

// Loads samples on the calling thread alone (FluidSynth's OpenMP workers
// would otherwise busy-wait for more work after a load).
void loadOnThisThreadOnly();

} // namespace rz
