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

#include "core/result.h"

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

// Fits `state` after `change`. Returns kRcOk (nothing changed), kRcDoesNotFit
// (the intro or ending just chosen does not fit; `state` is left as given and
// the caller restores the previous value), kRcIntroEndingChanged,
// kRcTimesChanged or kRcTimesIntroEndingChanged. A rhythm without tempo or
// beats cannot be fitted and returns kRcOk with nothing changed.
Rc FitSong(FitChange change, const FitLimits& limits, FitState* state);

}  // namespace qm3
