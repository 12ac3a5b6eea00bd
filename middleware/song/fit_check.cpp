// Fitting start time, end time, intro and ending together.
#include "song/fit_check.h"

#include <cmath>

#include "core/control_ids.h"
#include "core/result.h"

namespace qm3 {
namespace {

int IntroMeasures(const FitLimits& limits, int intro) {
  return intro >= 0 && intro < 4 ? limits.intro_measures[static_cast<size_t>(intro)] : 0;
}
int EndingMeasures(const FitLimits& limits, int ending) {
  return ending >= 0 && ending < 4 ? limits.ending_measures[static_cast<size_t>(ending)] : 0;
}

// Section 2 gives way to section 1, section 1 to section 3; 3, 4 and none
// are never replaced.
int ShorterSection(int section) {
  if (section == 1) return 0;
  if (section == 0) return 2;
  return section;
}

}  // namespace

Rc FitSong(FitChange change, const FitLimits& limits, FitState* state) {
  const double t0 = limits.standard_tempo;
  const double fps = limits.fps;
  const int b = limits.beats;
  if (!(t0 > 0) || !(fps > 0) || b < 1) return kRcOk;

  // Shortest span: two measures at 95 % of the tempo; longest: 998 measures
  // at 105 %.
  const auto dmin = static_cast<int32_t>(std::floor(fps * b * 120 / (t0 * 0.95)) + 1);
  const auto dmax = static_cast<int32_t>(std::floor(fps * b * 59880 / (t0 * 1.05)) + 1);
  const auto measures_available = [&](const FitState& s) {
    return static_cast<int>(std::floor(t0 * (s.end - s.start) / fps / 60 / b));
  };

  if (change == FitChange::kIntro || change == FitChange::kEnding) {
    const int a = measures_available(*state);
    const int i = IntroMeasures(limits, state->intro);
    const int e = EndingMeasures(limits, state->ending);
    const bool fits = change == FitChange::kIntro ? a - i >= e : a - e >= i;
    return fits ? kRcOk : kRcDoesNotFit;
  }

  const FitState before = *state;
  FitState& s = *state;
  if (change == FitChange::kStartOrRhythm) {
    if (s.start > kLargestTime - dmin) s.start = kLargestTime - dmin;
    if (s.end < s.start + dmin) {
      s.end = s.start + dmin;
    } else if (s.end > s.start + dmax) {
      s.end = s.start + dmax;
    }
  } else {
    if (s.end < dmin) s.end = dmin;
    if (s.start > s.end - dmin) {
      s.start = s.end - dmin;
    } else if (s.start < s.end - dmax) {
      s.start = s.end - dmax;
    }
  }
  const bool times_changed = s.start != before.start || s.end != before.end;

  const int a = measures_available(s);
  while (IntroMeasures(limits, s.intro) > a - EndingMeasures(limits, s.ending)) {
    const int shorter = ShorterSection(s.intro);
    if (shorter == s.intro) break;
    s.intro = shorter;
  }
  while (EndingMeasures(limits, s.ending) > a - IntroMeasures(limits, s.intro)) {
    const int shorter = ShorterSection(s.ending);
    if (shorter == s.ending) break;
    s.ending = shorter;
  }
  const bool sections_changed = s.intro != before.intro || s.ending != before.ending;

  if (times_changed && sections_changed) return kRcTimesIntroEndingChanged;
  if (times_changed) return kRcTimesChanged;
  if (sections_changed) return kRcIntroEndingChanged;
  return kRcOk;
}

}  // namespace qm3
