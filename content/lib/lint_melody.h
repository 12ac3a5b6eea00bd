// Musical checks of a phrase file (melody on channel 1, chords on channel 11)
// and of the fixed intro, ending and cadence source files.
// Pure functions over a read track; no locking, no threads.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "harmony.h"
#include "lint_report.h"
#include "smf_notes.h"

namespace content {

// Limits the melodies are held to.
struct MelodyRules {
  int lowest = 55;           // G3
  int highest = 84;          // C6
  int widest_span = 19;      // an octave and a fifth
  double step_share = 0.55;  // intervals of at most two semitones
  int widest_leap = 12;
  double strong_chord_tone_share = 0.75;
  double retrogression_share = 0.10;  // dominant straight to subdominant
  int widest_timing_offset = 4;       // ticks from the sixteenth grid
  int fewest_velocities = 6;          // distinct velocities of the melody
};

struct ChordSpan {
  uint32_t start = 0;
  uint32_t end = 0;
  std::optional<Chord> chord;  // none when the keys form no known chord
};

// The chords of channel 11 in time order, one span per change.
std::vector<ChordSpan> ChordSpans(const ReadTrack& track);
std::optional<Chord> ChordAtTick(const std::vector<ChordSpan>& spans, uint32_t tick);

void LintPhraseFile(const std::string& file, const ReadTrack& track, int beats,
                    const std::vector<long>& phrase_measures, Mode mode, const MelodyRules& rules,
                    LintReport& report);

// A fixed source: a chord from its first tick, ending on the tonic of the mood
// when `must_close` (endings and cadences), melody notes over chord tones.
void LintFixedSource(const std::string& file, const ReadTrack& track, Mode mode, bool must_close,
                     LintReport& report);

}  // namespace content
