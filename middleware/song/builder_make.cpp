// Making the play-time song from the current values (song-creation button).
#include <cmath>
#include <utility>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "core/time_base.h"
#include "song/builder.h"
#include "song/builder_content.h"
#include "song/builder_host.h"
#include "song/builder_render.h"

namespace qm3 {
namespace {

void SetAndNotify(ControlId id, int32_t value) {
  WriteValue(id, value, false);
  Notify(id, kNotifyValue);
}

// A song just made is not in any file yet: leaving it must ask first.
Rc OnCreateSong(ControlId, int32_t) {
  const Rc rc = MakePlayTimeSong();
  if (rc == kRcOk || (rc >= kRcIntroEndingChanged && rc <= kRcTimesIntroEndingChanged))
    SetSaved(false);
  return rc;
}

// New song by playing time: one minute from time 0. The song that follows
// belongs to no file, so saving it cannot overwrite the previous song's file
// (the host asked about that song's changes before this command).
Rc OnNewPlayTimeSong(ControlId, int32_t) {
  SetCurrentFileName("");
  SetAndNotify(kStartTime, 0);
  SetAndNotify(kEndTime, static_cast<int32_t>(std::floor(CurrentFramesPerSecond() * 60 + 0.5)));
  return kRcOk;
}

}  // namespace

Rc ReadPlayTimeRequest(PlayTimeRequest* q) {
  RhythmFacts rhythm;
  if (!Content().Rhythm(ReadValue(kRhythm), &rhythm)) return kRcError;
  PhraseRecipe& r = q->recipe;
  if (!Content().MelodyPhrases(ReadValue(kUserMelody), ReadValue(kMood), &r.melody_measures))
    return kRcError;
  q->start_time = ReadValue(kStartTime);
  q->end_time = ReadValue(kEndTime);
  q->fps = CurrentFramesPerSecond();
  q->standard_tempo = rhythm.standard_tempo;
  q->tempo_slider = ReadValue(kTempoSlider);
  r.start_phrase = ReadValue(kStartPhrase);
  r.beats = rhythm.beats;
  r.intro = ReadValue(kIntro);
  r.ending = ReadValue(kEnding);
  r.intro_measures = r.intro >= 0 && r.intro < 4 ? rhythm.intro_measures[r.intro] : 0;
  r.ending_measures = r.ending >= 0 && r.ending < 4 ? rhythm.ending_measures[r.ending] : 0;
  r.liveliness = ReadValue(kLiveliness);
  r.key_b = rhythm.keys[1];
  r.key_c = rhythm.keys[2];
  return kRcOk;
}

Rc MakePlayTimeSong() {
  PlayTimeRequest request;
  if (Rc rc = ReadPlayTimeRequest(&request); rc != kRcOk) return rc;
  PlayTimeSong song;
  const Rc rc = PlanPlayTimeSong(request, &song);
  if (rc == kRcNoMemory) ClearSongPhrases();  // the old list is gone either way
  if (rc != kRcOk) return rc;
  // A song whose length or tempo the table cannot hold would play at other
  // values than planned; refuse it instead.
  if (!InRange(kSongLength, song.song_ticks) || !InRange(kTempo, song.tempo)) return kRcError;

  ReplaceSongPhrases(std::move(song.phrases));
  SetAndNotify(kSongLength, song.song_ticks);
  SetAndNotify(kTempo, song.tempo);
  SetAndNotify(kSync1Time, request.start_time);
  SetAndNotify(kSync1Measure, 0);
  SetAndNotify(kSync2Time, request.end_time);
  SetAndNotify(kSync2Measure, song.song_ticks);
  WriteRange(kPointerTicks, 0, song.song_ticks);
  WriteRealTimeSongFlag(0);
  Notify(kSongTimeLineArea, kNotifyValue);
  return RenderSongNow();
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterBuilderMake() {
  RegisterReaction(kCreateSongButton, OnCreateSong, kStageSong);
  RegisterReaction(kMenuNewPlayTimeSong, OnNewPlayTimeSong, kStageSong);
}

}  // namespace qm3
