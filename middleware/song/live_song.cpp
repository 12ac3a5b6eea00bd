#include "song/live_song.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "song/builder_content.h"
#include "song/builder_host.h"
#include "song/builder_render.h"
#include "song/phrase_source.h"
#include "song/render.h"
#include "song/track_buffer.h"

namespace qm3 {
namespace {

constexpr int kNone = 4;
constexpr int kMaxBodyRuns = 1024;
// In a live run the melody follows the chords by 4 ticks (the run sends
// everything 6 ticks ahead of the clock).
constexpr int kLiveMelodyDelay = 4;

bool IsIntro(int s) {
  return s >= 1 && s <= 4;
}
bool IsEnding(int s) {
  return s >= 5 && s <= 8;
}
bool IsFill(int s) {
  return s == 9 || s == 10;
}
bool IsVariation(int s) {
  return s >= 11 && s <= 14;
}

SongPhrase Phrase(const char* name, int32_t beats, int8_t kind, int variation, int fill_in) {
  SongPhrase p;
  p.SetName(name);
  p.length = beats;
  p.kind = kind;
  p.variation = static_cast<int8_t>(variation);
  p.fill_in = static_cast<int8_t>(fill_in);
  p.parts = kAllParts;
  return p;
}

void SetAndNotify(ControlId id, int32_t value) {
  WriteValue(id, value, false);
  Notify(id, kNotifyValue);
}

Rc LoadLiveMaterial(std::vector<std::string>* skipped) {
  const RenderSettings s = CurrentRenderSettings();
  MelodyCycleRequest request;
  request.path = s.source_dir + s.melody_file;
  request.melody_beats = s.melody_beats;
  request.beats = s.beats;
  request.phrases = s.melody_phrases;
  request.start_phrase = s.start_phrase;
  request.melody_delay = kLiveMelodyDelay;
  // The cycle uses buffers 0 and 2 as scratch: the intro measure comes last.
  NoteSkippedSource(BuildMelodyCycle(request, 1), request.path, skipped);
  const std::string intro = s.source_dir + FixedSourceName(FixedSource::kIntro, s.mood);
  NoteSkippedSource(LoadFirstMeasure(intro, s.beats, 0), intro, skipped);
  return kRcOk;
}

}  // namespace

Rc PrepareLiveMaterial() {
  return LoadSongSources(LoadLiveMaterial);
}

RecordedSong SongFromRecording(const uint8_t* sections, const uint8_t* variations, int count,
                               int beats, const std::array<int, 4>& intro_measures,
                               const std::array<int, 4>& ending_measures) {
  RecordedSong song;
  const int n = std::max(0, count);
  int i = 0;
  if (n > 0 && IsIntro(sections[0])) {
    song.intro = sections[0] - 1;
    while (i < n && sections[i] == sections[0]) ++i;
  }
  struct Run {
    int variation, fill_in, measures;
  };
  std::vector<Run> runs;
  while (i < n && !IsEnding(sections[i]) && static_cast<int>(runs.size()) < kMaxBodyRuns) {
    const int code = sections[i];
    Run run{variations[i], IsFill(code) ? code - 9 : kFillInNone, 0};
    int j = i + 1;
    while (j < n && sections[j] == code) ++j;
    if (IsVariation(code) && j < n && IsFill(sections[j])) {
      const int fill = sections[j];
      run.fill_in = fill - 9;
      while (j < n && sections[j] == fill) ++j;
    }
    run.measures = j - i;
    runs.push_back(run);
    i = j;
  }
  if (i < n && IsEnding(sections[i])) song.ending = sections[i] - 5;

  char name[32];  // SetName keeps at most 11 bytes
  if (song.intro != kNone) {
    std::snprintf(name, sizeof name, "\xB2\xDD\xC4\xDB%d", song.intro + 1);  // ｲﾝﾄﾛ
    const int measures = std::min(std::max(0, intro_measures[song.intro]), n);
    song.phrases.push_back(Phrase(name, measures * beats, kPhraseIntro, song.intro, kFillInNone));
  }
  int number = 1;
  for (const Run& run : runs) {
    std::snprintf(name, sizeof name, "\xCC\xDA\xB0\xBD\xDE%d", number++);  // ﾌﾚｰｽﾞ
    song.phrases.push_back(
        Phrase(name, run.measures * beats, kPhraseBody, run.variation, run.fill_in));
  }
  if (song.ending != kNone) {
    std::snprintf(name, sizeof name, "\xB4\xDD\xC3\xDE\xA8\xDD\xB8\xDE%d",  // ｴﾝﾃﾞｨﾝｸﾞ
                  song.ending + 1);
    const int measures = std::min(std::max(0, ending_measures[song.ending]), n - i);
    song.phrases.push_back(Phrase(name, measures * beats, kPhraseEnding, song.ending, kFillInNone));
  }
  return song;
}

Rc MakeSongFromRecording(const uint8_t* sections, const uint8_t* variations, int count) {
  if (count <= 0) return kRcOk;
  ClearSongPhrases();
  RhythmFacts facts;
  if (!Content().Rhythm(ReadValue(kRhythm), &facts)) facts.beats = 0;
  const int beats = facts.beats >= 1 ? facts.beats : 4;
  RecordedSong song;
  try {
    song = SongFromRecording(sections, variations, count, beats, facts.intro_measures,
                             facts.ending_measures);
  } catch (const std::bad_alloc&) {
    return kRcNoMemory;
  }
  WriteValue(kIntro, song.intro, false);
  WriteValue(kEnding, song.ending, false);
  ReplaceSongPhrases(std::move(song.phrases));

  const int32_t length = beats * count * 96;
  SetAndNotify(kSongLength, length);
  SetAndNotify(kEndTime, TimeOfTick(length));
  SetAndNotify(kSync1Time, ReadValue(kStartTime));
  SetAndNotify(kSync1Measure, 0);
  SetAndNotify(kSync2Time, ReadValue(kEndTime));
  SetAndNotify(kSync2Measure, ReadValue(kSongLength));
  WriteRange(kPointerTicks, 0, ReadValue(kSongLength));
  WriteRealTimeSongFlag(1);
  Notify(kSongTimeLineArea, kNotifyValue);
  const Rc rc = RenderSongNow();
  if (rc != 0) return rc;
  SetCurrentFileName("");
  SetSaved(false);
  WriteValue(kSyncMethod, 0, false);
  Notify(kSyncMethod, kNotifyValue);
  RedrawScreen();
  return kRcOk;
}

}  // namespace qm3
