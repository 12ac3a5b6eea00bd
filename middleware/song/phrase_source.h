// The phrase sources: the per-melody phrase files (melody on channel 1, chords
// on channel 11) and the fixed intro, ending and cadence files, each in a
// bright and a dark ("m"-prefixed) form, read into the track buffers.
//
// Thread rules: host thread only; uses the track buffers (see track_buffer.h)
// and reads files. A file that cannot be read counts as silence; the loads
// say so, so that the render can name the file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qm3 {

enum class FixedSource : int {
  kIntro,      // "I_src_mid.dat": intros 1 and 2 (and the intro slot without an intro)
  kIntroFast,  // "I_src_f_mid.dat": intros 3 and 4
  kEnding,     // "E_src_mid.dat"
  kChord,      // "chord_mid.dat": cadence up to 120 BPM
  kChordFast,  // "chord2_mid.dat": cadence above 120 BPM
};

// The file name for `mood` (0 bright, 1 dark: "m" prefix).
std::string FixedSourceName(FixedSource source, int mood);
// The intro source for intro choice 0..4 (2 and 3 are intros 3 and 4).
FixedSource IntroSource(int intro);
// The cadence source for a tempo in beats per minute.
FixedSource ChordSource(double tempo_bpm);

// Loads `path` into buffer `buffer`; a file that cannot be read or is no
// Standard MIDI File gives an empty track (and false). The current buffer is
// `buffer` afterwards.
bool LoadSource(const std::string& path, int buffer);
// Loads `path` into buffer `buffer` and keeps its first measure of `beats`
// beats (cut at beats * 96). False when the file gave silence (see
// LoadSource). The current buffer is `buffer` afterwards.
bool LoadFirstMeasure(const std::string& path, int beats, int buffer);
// Adds `path` to `skipped` (when given) unless it `loaded`: a source the song
// needed and did not get, whose part is silence.
void NoteSkippedSource(bool loaded, const std::string& path, std::vector<std::string>* skipped);

// One melody cycle for a song, as the render uses it.
struct MelodyCycleRequest {
  std::string path;          // the phrase file of the current mood
  int melody_beats = 4;      // the melody's own beats per measure
  int beats = 4;             // the song's beats per measure
  std::vector<int> phrases;  // phrase lengths in measures (current mood)
  int start_phrase = 0;      // the phrase the cycle starts with (modulo the count)
  int melody_delay = 6;      // ticks channel 1 sounds after the chords
};

// Measures in one cycle (the sum of the phrase lengths; negatives count 0).
int64_t CycleMeasures(const std::vector<int>& phrases);

// Builds one cycle in buffer `out` (0..2; the other two are used as scratch):
// the melody file read and converted to the song's meter, rotated so that
// `start_phrase` comes first, channel 1 moved `melody_delay` ticks later, channel 11 at
// its own times, no tempo events, cut at the cycle's end. A cycle of no
// measures gives an empty track. False when the cycle needed the melody file
// and it gave silence. The current buffer is `out` afterwards.
bool BuildMelodyCycle(const MelodyCycleRequest& request, int out);

}  // namespace qm3
