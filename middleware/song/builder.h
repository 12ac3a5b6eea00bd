// The play-time song builder: from a start and an end time it chooses how
// many body phrases of the melody to play and the tempo at which intro, body
// and ending fill that span exactly, and makes the song's phrase list.
//
// Thread rules: host thread only; not locked. Building allocates the list;
// MakePlayTimeSong writes the value table and runs the render (file I/O).
#pragma once
#include <cstdint>
#include <vector>

#include "core/result.h"
#include "song/phrase_list.h"

namespace qm3 {

enum class BuildMode {
  kNearestCycles = 0,  // a whole number of melody cycles, the nearest one
  kTrimToFit = 1,      // exactly the measures asked for, the last phrase cut
};

// What a phrase list is made of.
struct PhraseRecipe {
  std::vector<int> melody_measures;  // length of each melody phrase, measures
  int start_phrase = 0;              // melody phrase the song starts with
  int beats = 4;                     // beats per measure
  int intro = 4;                     // 0..3 = intro 1..4, 4 = none
  int ending = 4;                    // 0..3 = ending 1..4, 4 = none
  int intro_measures = 0;            // length of the chosen intro
  int ending_measures = 0;           // length of the chosen ending
  int liveliness = 2;                // 0..4
  int32_t key_b = 0;                 // rhythm keys that pick fill-in defaults
  int32_t key_c = 0;
};

// Builds the intro, body phrases and ending for about `measures` body
// measures into `out`. Returns the number of body measures, or kRcNoMemory.
// The recipe must have at least one melody phrase, all of them 1 measure or
// longer, and beats >= 1 (PlanPlayTimeSong checks this).
Result<int> BuildPhraseList(double measures, BuildMode mode, const PhraseRecipe& recipe,
                            std::vector<SongPhrase>* out);

// Tempo slider step 0..6 as a factor of the rhythm's standard tempo.
double TempoSliderFactor(int step);

struct PlayTimeRequest {
  int32_t start_time = 0;  // frames
  int32_t end_time = 0;    // frames
  double fps = 30.0;
  double standard_tempo = 120.0;  // T0, beats per minute
  int tempo_slider = 3;
  PhraseRecipe recipe;
};

struct PlayTimeSong {
  std::vector<SongPhrase> phrases;
  int32_t song_ticks = 0;  // 96 per beat
  int32_t tempo = 0;       // 1/10000 beats per minute
};

// The structure step of making a play-time song, without touching any
// state. Returns kRcError when the span leaves no room for the sections (or
// the melody has no phrases), or kRcNoMemory when memory runs out.
Rc PlanPlayTimeSong(const PlayTimeRequest& request, PlayTimeSong* song);

// Reads the request from the play-time values and the content library.
// Returns kRcError when the rhythm or melody is unknown.
Rc ReadPlayTimeRequest(PlayTimeRequest* request);

// Makes the song from the current values: plans it, stores the phrase list,
// song length, tempo and sync points, clears the real-time song flag and
// renders. Returns kRcError, kRcNoMemory or the render's result.
Rc MakePlayTimeSong();

}  // namespace qm3
