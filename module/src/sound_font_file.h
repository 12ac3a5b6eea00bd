// How FluidSynth reads a SoundFont file: plain descriptor reads, and for the
// large sample chunk the destination is first faulted in at once, in huge
// pages where the kernel allows them. The bytes read are the same; only the
// cost of first touching ~140 MiB of fresh memory page by page goes away
// (that was a third of a short WAV export's CPU time).
//
// Thread rules: InstallSoundFontReader is called once per synth, on the
// thread that opens it, before the SoundFont is loaded; the callbacks run on
// that thread during the load.
#pragma once

typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;

namespace corvane {

// Adds a SoundFont loader reading through the callbacks above; false when
// FluidSynth refused it (its own loader then reads the file as before).
bool InstallSoundFontReader(fluid_synth_t* synth, fluid_settings_t* settings);

}  // namespace corvane
