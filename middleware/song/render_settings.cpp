// Gathering what the render reads: the song values, the chosen rhythm's and
// melody's catalog entries, the directories.
#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/time_base.h"
#include "song/builder_content.h"
#include "song/builder_host.h"
#include "song/render.h"

namespace qm3 {

RenderSettings CurrentRenderSettings() {
  RenderSettings s;
  s.source_dir = HostDirectory();
  s.work_dir = WorkDirectory();
  s.beats = BeatsPerMeasure();
  s.tempo = ReadValue(kTempo);
  s.song_length = ReadValue(kSongLength);
  s.real_time_song = ReadRealTimeSongFlag() == 1;

  const int32_t rhythm = ReadValue(kRhythm);
  s.intro = ReadValue(kIntro);
  s.ending = ReadValue(kEnding);
  RhythmFacts facts;
  if (Content().Rhythm(rhythm, &facts)) {
    if (s.intro >= 0 && s.intro < 4) s.intro_measures = facts.intro_measures[s.intro];
    if (s.ending >= 0 && s.ending < 4) s.ending_measures = facts.ending_measures[s.ending];
    s.key_b = static_cast<uint8_t>(facts.keys[1]);
    s.key_c = static_cast<uint8_t>(facts.keys[2]);
  }
  if (const QM3RhythmData* r = FindRhythm(rhythm)) {
    s.melody_program = r->cParam2;
    s.melody_bank = r->cParam3;
    for (int i = 0; i < 6; ++i) s.part_volumes[i] = r->cPart[i];
  }

  s.mood = ReadValue(kMood) == 1 ? 1 : 0;
  const int32_t melody = ReadValue(kUserMelody);
  s.melody_file =
      PhraseFileName(Content().MelodyNumber(melody), s.mood == 1 ? Mood::kDark : Mood::kBright);
  const int32_t melody_beats = MelodyFieldQuery(melody, kMelodyBeats, 0);
  s.melody_beats = melody_beats >= 1 ? melody_beats : s.beats;
  Content().MelodyPhrases(melody, s.mood, &s.melody_phrases);
  s.start_phrase = ReadValue(kStartPhrase);

  s.fade_out = ReadValue(kFadeOut) == 1;
  s.fade_seconds = ReadValue(kFadeOutSeconds);
  s.start_time = ReadValue(kStartTime);
  s.end_time = ReadValue(kEndTime);
  s.frames_per_second = CurrentFramesPerSecond();
  return s;
}

}  // namespace qm3
