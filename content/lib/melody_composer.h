// Turns a melody's sources into its phrase file: the tune on channel 1 and
// the chords on channel 11, phrase after phrase from tick 0. Deterministic;
// no locking, no threads.
#pragma once

#include "melody_source.h"
#include "smf_writer.h"

namespace content {

inline constexpr int kMelodyChannel = 1;
inline constexpr int kChordChannel = 11;
inline constexpr int kMelodyLowest = 60;   // C4
inline constexpr int kMelodyHighest = 77;  // F5

// The mood rides on the chord channel as a controller at tick 0 of every
// phrase and source file (0 bright, 127 dark), so the sound module can play
// the style's variant for it.
inline constexpr int kMoodController = 16;
void WriteMood(TrackBuilder& track, Mode mode);

// Chords sound on channel 11 in root position above C3, so the module reads
// the lowest key as the root.
void WriteChordNotes(TrackBuilder& track, uint32_t tick, uint32_t length, const Chord& chord,
                     int velocity);

// The measure-by-measure motif plan of a phrase of `measures` measures:
// 'a', 'b', 'c' name the melody's motifs, an apostrophe a sequence of the
// motif one scale step away, 'Z' the cadence.
std::vector<std::string> PhrasePlan(int measures, bool contrasting);

TrackBuilder ComposePhraseSet(const MelodyLibrary& library, const MelodySpec& melody, Mode mode);

}  // namespace content
