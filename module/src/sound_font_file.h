// How FluidSynth reads a SoundFont file: the headers' many small reads come
// out of a 64 KiB buffer, and the large sample chunk is read straight into
// its destination, which is first faulted in at once, in huge pages where the
// kernel allows them, half of it on a second thread. The bytes read are the
// same; what goes away is ~80,000 system calls and the cost of first
// touching ~140 MiB of fresh memory page by page on one core (together about
// two thirds of a short WAV export's time).
//
// Thread rules: InstallSoundFontReader is called once per synth, on the
// thread that opens it, before the SoundFont is loaded; the callbacks run on
// that thread during the load. The sample chunk's second half is read by a
// short-lived thread that the callback joins before it returns; it touches
// only its half of the destination and its own file offsets (pread).
#pragma once

typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;

namespace corvane {

// Adds a SoundFont loader reading through the callbacks above; false when
// FluidSynth refused it (its own loader then reads the file as before).
bool InstallSoundFontReader(fluid_synth_t* synth, fluid_settings_t* settings);

}  // namespace corvane
