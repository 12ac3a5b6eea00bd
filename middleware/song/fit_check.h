// Keeps start time, end time, intro and ending of a play-time song
// compatible while the user edits them: times are pushed apart or together
// so that between two and 998 measures fit, and intros and endings that do
// not fit are swapped for shorter ones or refused.
//
// Thread rules: FitSong is pure; the reactions (fit_reactions.cpp) run on the
// host thread and write the value table.
#pragma once
#include <array>
#include <cstdint>

namespace qm3 {

constexpr int32_t kLargestTime = 1079999;

enum class FitChange {
  kStartOrRhythm,  // start time or rhythm changed
  kEnd,            // end time changed
  kIntro,          // intro changed
  kEnding,         // ending changed
};

struct FitLimits {
  double fps = 30.0;
  double standard_tempo = 120.0;  // T0 of the rhythm, without the slider
  int beats = 4;
  std::array<int, 4> intro_measures{};
  std::array<int, 4> ending_measures{};
};

struct FitState {
  int32_t start = 0;  // frames
  int32_t end = 0;    // frames
  int intro = 4;      // 0..3 = intro 1..4, 4 = none
  int ending = 4;     // 0..3 = ending 1..4, 4 = none
  bool operator==(const FitState&) const = default;
};

// Fits `state` after `change`. Returns 0 (nothing changed), 21 (the intro or
// ending just chosen does not fit; `state` is left as given and the caller
// restores the previous value), 22 (intro or ending replaced), 23 (times
// moved) or 24 (both). A rhythm without tempo or beats cannot be fitted and
// returns 0 with nothing changed.
int FitSong(FitChange change, const FitLimits& limits, FitState* state);

}  // namespace qm3
