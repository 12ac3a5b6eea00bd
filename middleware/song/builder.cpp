// Phrase list and tempo of a play-time song.
#include "song/builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <string>

#include "core/result.h"
#include "platform/sjis.h"
#include "song/builder_fill_in.h"

namespace qm3 {
namespace {

// Name patterns of the sections (Shift-JIS, converted once).
const std::string& IntroPattern() {
  static const std::string s = platform::Utf8ToSjis("ｲﾝﾄﾛ%d");
  return s;
}
const std::string& BodyPattern() {
  static const std::string s = platform::Utf8ToSjis("ﾌﾚｰｽﾞ%c-%d");
  return s;
}
const std::string& EndingPattern() {
  static const std::string s = platform::Utf8ToSjis("ｴﾝﾃﾞｨﾝｸﾞ%d");
  return s;
}

template <typename... Args>
void NamePhrase(SongPhrase* phrase, const std::string& pattern, Args... args) {
  char text[32];
  std::snprintf(text, sizeof text, pattern.c_str(), args...);
  phrase->SetName(text);
}

SongPhrase FramePhrase(const std::string& pattern, int number, int measures, int beats,
                       int8_t kind) {
  SongPhrase p;
  NamePhrase(&p, pattern, number + 1);
  p.length = measures * beats;
  p.kind = kind;
  p.variation = static_cast<int8_t>(number);
  p.fill_in = kFillInNone;
  p.parts = kAllParts;
  return p;
}

bool HasIntro(const PhraseRecipe& r) {
  return r.intro >= 0 && r.intro < 4;
}
bool HasEnding(const PhraseRecipe& r) {
  return r.ending >= 0 && r.ending < 4;
}

// A melody the builder can divide by: at least one phrase, none shorter
// than a measure.
bool UsableMelody(const std::vector<int>& measures) {
  return !measures.empty() &&
         std::all_of(measures.begin(), measures.end(), [](int m) { return m >= 1; });
}

Result<int> BuildPhraseListUnchecked(double measures, BuildMode mode, const PhraseRecipe& r,
                                     std::vector<SongPhrase>* out) {
  const auto phrase_count = static_cast<int64_t>(r.melody_measures.size());
  const int64_t s = ((r.start_phrase % phrase_count) + phrase_count) % phrase_count;
  auto rotated = [&](int64_t k) {
    return r.melody_measures[static_cast<size_t>((k + s) % phrase_count)];
  };
  int64_t cycle_measures = 0;
  for (int m : r.melody_measures) cycle_measures += m;

  int64_t cycles = 0;
  int64_t excess = 0;
  if (mode == BuildMode::kNearestCycles) {
    cycles = static_cast<int64_t>(std::floor(measures / static_cast<double>(cycle_measures) + 0.5));
  } else {
    const auto whole = static_cast<int64_t>(measures);
    cycles = (whole + cycle_measures - 1) / cycle_measures;
  }
  cycles = std::max<int64_t>(cycles, 0);
  int64_t body_count = cycles * phrase_count;
  if (mode == BuildMode::kTrimToFit) {
    excess = cycles * cycle_measures - static_cast<int64_t>(measures);
    while (body_count > 0 && excess >= rotated(body_count - 1)) {
      excess -= rotated(body_count - 1);
      --body_count;
    }
  }

  out->clear();
  try {
    out->reserve(static_cast<size_t>(body_count + 2));
  } catch (const std::bad_alloc&) {
    return kRcNoMemory;
  }
  if (HasIntro(r))
    out->push_back(FramePhrase(IntroPattern(), r.intro, r.intro_measures, r.beats, kPhraseIntro));
  for (int64_t i = 0; i < body_count; ++i) {
    SongPhrase p;
    const auto letter = static_cast<char>('A' + (i + s) % phrase_count);
    NamePhrase(&p, BodyPattern(), letter, static_cast<int>(i / phrase_count + 1));
    p.length = rotated(i % phrase_count) * r.beats;
    p.kind = kPhraseBody;
    const auto variation = static_cast<int>(std::clamp<int64_t>(i % 2 + r.liveliness - 1, 0, 3));
    p.variation = static_cast<int8_t>(variation);
    p.fill_in = DefaultFillIn(static_cast<int>(i % 2), variation, r.key_b, r.key_c);
    p.parts = kAllParts;
    out->push_back(p);
  }
  if (mode == BuildMode::kTrimToFit && body_count > 0) {
    SongPhrase& last = (*out)[out->size() - 1];
    last.length -= static_cast<int32_t>(excess * r.beats);
    if (last.length <= 2 * r.beats) last.parts = kAllButMelody;
  }
  if (HasEnding(r))
    out->push_back(
        FramePhrase(EndingPattern(), r.ending, r.ending_measures, r.beats, kPhraseEnding));

  int64_t beats = 0;
  for (const SongPhrase& p : *out) beats += p.length;
  const int frame_measures =
      (HasIntro(r) ? r.intro_measures : 0) + (HasEnding(r) ? r.ending_measures : 0);
  return static_cast<int>(beats / r.beats - frame_measures);
}

// T' of the song: beats over seconds, kept to 1/10000 beats per minute.
int32_t TempoOf(int64_t beats, double seconds) {
  return static_cast<int32_t>(
      std::floor(static_cast<double>(beats) * 60.0 / seconds * 10000.0 + 0.5));
}

}  // namespace

Result<int> BuildPhraseList(double measures, BuildMode mode, const PhraseRecipe& recipe,
                            std::vector<SongPhrase>* out) {
  try {
    return BuildPhraseListUnchecked(measures, mode, recipe, out);
  } catch (const std::bad_alloc&) {
    out->clear();
    return kRcNoMemory;
  }
}

double TempoSliderFactor(int step) {
  static constexpr double kFactors[7] = {0.666667, 0.763143, 0.87358, 1.0, 1.144714, 1.310371, 1.5};
  return kFactors[std::clamp(step, 0, 6)];
}

Rc PlanPlayTimeSong(const PlayTimeRequest& q, PlayTimeSong* song) {
  const PhraseRecipe& r = q.recipe;
  if (!UsableMelody(r.melody_measures) || r.beats < 1 || q.fps <= 0) return kRcError;
  const int64_t span = static_cast<int64_t>(q.end_time) - q.start_time;
  if (span <= 0) return kRcError;
  const double seconds = static_cast<double>(span) / q.fps;
  const double tempo =
      std::clamp(q.standard_tempo * TempoSliderFactor(q.tempo_slider), 30.0, 300.0);
  const int intro = HasIntro(r) ? r.intro_measures : 0;
  const int ending = HasEnding(r) ? r.ending_measures : 0;
  const double measures = tempo * seconds / 60.0 / r.beats - intro - ending;
  if (measures < 0) return kRcError;

  Result<int> body = BuildPhraseList(measures, BuildMode::kNearestCycles, r, &song->phrases);
  if (!body.ok()) return body.rc();
  int64_t beats = (static_cast<int64_t>(body.value()) + intro + ending) * r.beats;
  int32_t fitted = TempoOf(beats, seconds);
  if (std::fabs(fitted * 0.0001 - tempo) > 0.05 * tempo) {
    body = BuildPhraseList(std::floor(measures + 0.5), BuildMode::kTrimToFit, r, &song->phrases);
    if (!body.ok()) return body.rc();
    beats = (static_cast<int64_t>(body.value()) + intro + ending) * r.beats;
    fitted = TempoOf(beats, seconds);
  }
  // A span so short that no section is left makes no song.
  if (beats <= 0) return kRcError;
  song->song_ticks = static_cast<int32_t>(std::min<int64_t>(beats * 96, INT32_MAX));
  song->tempo = fitted;
  return kRcOk;
}

}  // namespace qm3
