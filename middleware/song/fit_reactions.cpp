// The fit check as the reaction to the play-time window's times, rhythm,
// intro and ending, in song mode and outside the real-time screen.
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "core/time_base.h"
#include "song/builder_content.h"
#include "song/builder_host.h"
#include "song/builder_render.h"
#include "song/fit_check.h"

namespace qm3 {
namespace {

FitChange ChangeOf(ControlId id) {
  switch (id & 0xFFFF) {
    case kEndTime:
    case kEditEndTime:  // the song edit screen's name for the end time
      return FitChange::kEnd;
    case kIntro:
      return FitChange::kIntro;
    case kEnding:
      return FitChange::kEnding;
    default:
      return FitChange::kStartOrRhythm;
  }
}

void WriteIfChanged(ControlId id, int32_t before, int32_t after) {
  if (before == after) return;
  WriteValue(id, after, false);
  Notify(id, kNotifyValue);
}

Rc OnFitValue(ControlId id, int32_t old_value) {
  if (ReadValue(kEditingMode) != 0 || OnRealTimeScreen()) return kRcOk;
  RhythmFacts rhythm;
  if (!Content().Rhythm(ReadValue(kRhythm), &rhythm)) return kRcOk;
  FitLimits limits;
  limits.fps = CurrentFramesPerSecond();
  limits.standard_tempo = rhythm.standard_tempo;
  limits.beats = rhythm.beats;
  limits.intro_measures = rhythm.intro_measures;
  limits.ending_measures = rhythm.ending_measures;
  const FitState before{ReadValue(kStartTime), ReadValue(kEndTime), ReadValue(kIntro),
                        ReadValue(kEnding)};
  FitState after = before;
  const Rc rc = FitSong(ChangeOf(id), limits, &after);
  if (rc == kRcDoesNotFit) {
    WriteValue(id, old_value, false);
    Notify(id, kNotifyValue);
    return rc;
  }
  WriteIfChanged(kStartTime, before.start, after.start);
  WriteIfChanged(kEndTime, before.end, after.end);
  WriteIfChanged(kIntro, before.intro, after.intro);
  WriteIfChanged(kEnding, before.ending, after.ending);
  // Times moved on the song edit screen change the song's data (fade-out).
  if (OnSongEditScreen() && ReadValue(kSongLength) != 0) {
    if (Rc render_rc = RenderSongNow(); render_rc != kRcOk) return render_rc;
  }
  return rc;
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterFitReactions() {
  RegisterReaction(kStartTime, OnFitValue, kStageSong);
  RegisterReaction(kEndTime, OnFitValue, kStageSong);
  RegisterReaction(kRhythm, OnFitValue, kStageSong);
  RegisterReaction(kIntro, OnFitValue, kStageSong);
  RegisterReaction(kEnding, OnFitValue, kStageSong);
}

}  // namespace qm3
