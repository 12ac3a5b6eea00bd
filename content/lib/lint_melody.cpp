#include "lint_melody.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace content {
namespace {

std::vector<ReadNote> NotesOn(const ReadTrack& track, int channel) {
  std::vector<ReadNote> notes;
  for (const auto& n : track.notes)
    if (n.channel == channel) notes.push_back(n);
  return notes;
}

std::string At(uint32_t tick, int beats) {
  const uint32_t measure = static_cast<uint32_t>(beats * 96);
  return "measure " + std::to_string(tick / measure + 1) + " tick " +
         std::to_string(tick % measure);
}

std::string Percent(double v) {
  return std::to_string(static_cast<int>(v * 100 + 0.5)) + " %";
}

constexpr uint32_t kSixteenthTicks = 24;

// A measure's rhythm: the onsets within it, as a key for comparing measures.
using Signature = std::vector<uint32_t>;

}  // namespace

std::vector<ChordSpan> ChordSpans(const ReadTrack& track) {
  const auto chords = NotesOn(track, 11);
  std::set<uint32_t> cuts;
  for (const auto& n : chords) {
    cuts.insert(n.start);
    cuts.insert(n.start + n.length);
  }
  std::vector<ChordSpan> spans;
  for (auto it = cuts.begin(); it != cuts.end() && std::next(it) != cuts.end(); ++it) {
    const uint32_t t = *it;
    std::vector<int> keys;
    for (const auto& n : chords)
      if (n.start <= t && t < n.start + n.length) keys.push_back(n.key);
    if (keys.empty()) continue;
    ChordSpan span{t, *std::next(it), RecogniseChord(keys)};
    if (!spans.empty() && spans.back().end == span.start && spans.back().chord == span.chord &&
        std::none_of(chords.begin(), chords.end(), [t](const ReadNote& n) { return n.start == t; }))
      spans.back().end = span.end;  // the same chord continuing
    else
      spans.push_back(span);
  }
  return spans;
}

std::optional<Chord> ChordAtTick(const std::vector<ChordSpan>& spans, uint32_t tick) {
  for (const auto& s : spans)
    if (s.start <= tick && tick < s.end) return s.chord;
  return std::nullopt;
}

void LintPhraseFile(const std::string& file, const ReadTrack& track, int beats,
                    const std::vector<long>& phrase_measures, Mode mode, const MelodyRules& rules,
                    LintReport& report) {
  const uint32_t measure = static_cast<uint32_t>(beats * 96);
  const uint32_t strong_every = beats == 4 ? 192 : 288;
  long total_measures = 0;
  for (long m : phrase_measures) total_measures += m;
  const uint32_t length = static_cast<uint32_t>(total_measures) * measure;
  if (track.division != 96) report.Error(file, "division is not 96");
  if (track.end_tick != length)
    report.Error(file, "ends at tick " + std::to_string(track.end_tick) + ", the catalog's " +
                           "phrases need " + std::to_string(length));
  for (const auto& n : track.notes)
    if (n.channel != 1 && n.channel != 11)
      report.Error(file, "note on channel " + std::to_string(n.channel));
  if (track.notes_left_sounding > 0 || track.unpaired_note_offs > 0)
    report.Error(file, "unbalanced note-on and note-off events");

  const auto spans = ChordSpans(track);
  for (const auto& s : spans)
    if (!s.chord) report.Error(file, "unrecognisable chord at " + At(s.start, beats));
  for (long m = 0; m < total_measures; ++m) {
    if (!ChordAtTick(spans, static_cast<uint32_t>(m) * measure))
      report.Error(file, "no chord at the start of measure " + std::to_string(m + 1));
  }

  // Range and motion.
  const auto played = NotesOn(track, 1);
  if (played.empty()) {
    report.Error(file, "no melody");
    return;
  }
  // The melody is sung a little off the grid; the harmonic and motif checks
  // read each note at its grid position.
  auto melody = played;
  std::set<int> velocities;
  long strong_sum = 0, weak_sum = 0, strong_count = 0, weak_count = 0;
  for (auto& n : melody) {
    const uint32_t grid = (n.start + kSixteenthTicks / 2) / kSixteenthTicks * kSixteenthTicks;
    if (std::abs(static_cast<long>(n.start) - static_cast<long>(grid)) > rules.widest_timing_offset)
      report.Error(file, "note " + std::to_string(n.start - grid) + " ticks off the grid at " +
                             At(grid, beats));
    n.start = grid;
    velocities.insert(n.velocity);
    const bool strong_beat = (grid % measure) % strong_every == 0;
    (strong_beat ? strong_sum : weak_sum) += n.velocity;
    ++(strong_beat ? strong_count : weak_count);
  }
  if (static_cast<int>(velocities.size()) < rules.fewest_velocities)
    report.Error(file, "only " + std::to_string(velocities.size()) + " distinct velocities");
  if (strong_count > 0 && weak_count > 0 && strong_sum * weak_count <= weak_sum * strong_count)
    report.Error(file, "strong beats are not accented");
  int low = 127, high = 0, steps = 0;
  for (size_t i = 0; i < melody.size(); ++i) {
    low = std::min(low, melody[i].key);
    high = std::max(high, melody[i].key);
    if (i == 0) continue;
    const int interval = std::abs(melody[i].key - melody[i - 1].key);
    if (interval <= 2) ++steps;
    if (interval > rules.widest_leap)
      report.Error(file, "leap of " + std::to_string(interval) + " semitones at " +
                             At(melody[i].start, beats));
    if (played[i].start < played[i - 1].start + played[i - 1].length)
      report.Error(file, "overlapping melody notes at " + At(melody[i].start, beats));
  }
  if (low < rules.lowest || high > rules.highest || high - low > rules.widest_span)
    report.Error(file,
                 "range " + std::to_string(low) + ".." + std::to_string(high) + " is not singable");
  if (melody.size() > 1) {
    const double share = static_cast<double>(steps) / static_cast<double>(melody.size() - 1);
    if (share < rules.step_share)
      report.Error(file, "only " + Percent(share) + " of the motion is stepwise");
  }

  // Chord tones on strong beats.
  int strong = 0, fitting = 0;
  for (const auto& n : melody) {
    if ((n.start % measure) % strong_every != 0) continue;
    ++strong;
    auto chord = ChordAtTick(spans, n.start);
    if (chord && IsChordTone(*chord, n.key)) ++fitting;
  }
  if (strong > 0 && fitting < rules.strong_chord_tone_share * strong)
    report.Error(file, "chord tones on " + std::to_string(fitting) + " of " +
                           std::to_string(strong) + " strong-beat notes");

  // Phrase endings: a chord tone in the last measure, over a cadence chord.
  uint32_t phrase_start = 0;
  for (size_t p = 0; p < phrase_measures.size(); ++p) {
    const uint32_t phrase_end = phrase_start + static_cast<uint32_t>(phrase_measures[p]) * measure;
    const ReadNote* last = nullptr;
    for (const auto& n : melody)
      if (n.start >= phrase_start && n.start < phrase_end) last = &n;
    const std::string phrase = "phrase " + std::to_string(p + 1);
    if (last == nullptr || last->start < phrase_end - measure) {
      report.Error(file, phrase + " has no note in its last measure");
    } else {
      auto chord = ChordAtTick(spans, last->start);
      if (!chord || !IsChordTone(*chord, last->key))
        report.Error(file, phrase + " ends on a note outside its chord");
    }
    auto cadence = ChordAtTick(spans, phrase_end - 1);
    if (cadence) {
      const bool home = IsTonicChord(*cadence, mode);
      const bool half =
          cadence->root == 7 && FunctionOf(*cadence, mode) == ChordFunction::kDominant;
      if (!home && !half) report.Error(file, phrase + " does not end on a cadence (I or V)");
      if (p + 1 == phrase_measures.size() && !home)
        report.Error(file, "the last phrase does not close on the tonic");
      // The chord before the closing tonic must lead to it (dominant or subdominant).
      size_t closing = spans.size();
      for (size_t i = 0; i < spans.size(); ++i)
        if (spans[i].start <= phrase_end - 1 && phrase_end - 1 < spans[i].end) closing = i;
      size_t j = closing;
      while (j > 0 && j < spans.size() && spans[j - 1].chord == spans[closing].chord) --j;
      const bool has_before = j > 0 && j < spans.size() && spans[j - 1].start >= phrase_start;
      if (home && has_before && spans[j - 1].chord &&
          FunctionOf(*spans[j - 1].chord, mode) == ChordFunction::kTonic)
        report.Error(file, phrase + " reaches the tonic without a cadence");
    }
    phrase_start = phrase_end;
  }

  // Functional motion: few retrogressions from dominant to subdominant.
  int moves = 0, retro = 0;
  for (size_t i = 1; i < spans.size(); ++i) {
    if (!spans[i].chord || !spans[i - 1].chord || spans[i].chord == spans[i - 1].chord) continue;
    ++moves;
    if (FunctionOf(*spans[i - 1].chord, mode) == ChordFunction::kDominant &&
        FunctionOf(*spans[i].chord, mode) == ChordFunction::kSubdominant)
      ++retro;
  }
  if (moves > 0 && retro > rules.retrogression_share * moves)
    report.Error(file, std::to_string(retro) + " of " + std::to_string(moves) +
                           " chord changes go from dominant back to subdominant");
  if (!spans.empty() && spans.back().chord && !IsTonicChord(*spans.back().chord, mode))
    report.Error(file, "the progression is not in the file's mood");

  // Motifs: measures repeat a rhythm, and repeated rhythms vary in pitch.
  std::map<Signature, std::vector<std::vector<int>>> by_rhythm;
  for (long m = 0; m < total_measures; ++m) {
    Signature rhythm;
    std::vector<int> pitches;
    for (const auto& n : melody) {
      if (n.start / measure != static_cast<uint32_t>(m)) continue;
      rhythm.push_back(n.start % measure);
      pitches.push_back(n.key);
    }
    if (!rhythm.empty()) by_rhythm[rhythm].push_back(pitches);
  }
  bool repeated = false, varied = false;
  for (const auto& [rhythm, occurrences] : by_rhythm) {
    if (occurrences.size() < 2 || rhythm.size() < 2) continue;
    repeated = true;
    for (size_t i = 1; i < occurrences.size(); ++i)
      if (occurrences[i] != occurrences[0]) varied = true;
  }
  if (!repeated) report.Error(file, "no measure rhythm comes back: no motif");
  if (!varied) report.Error(file, "motifs only ever repeat literally");
  if (by_rhythm.size() < 2) report.Error(file, "every measure has the same rhythm");
}

void LintFixedSource(const std::string& file, const ReadTrack& track, Mode mode, bool must_close,
                     LintReport& report) {
  const auto spans = ChordSpans(track);
  if (!ChordAtTick(spans, 0)) report.Error(file, "no chord at the start");
  for (const auto& s : spans)
    if (!s.chord) report.Error(file, "unrecognisable chord");
  if (track.end_tick < 384) report.Error(file, "shorter than one 4/4 measure");
  if (must_close &&
      (spans.empty() || !spans.back().chord || !IsTonicChord(*spans.back().chord, mode)))
    report.Error(file, "does not close on the tonic of its mood");
  for (const auto& n : track.notes) {
    if (n.channel == 11) continue;
    if (n.channel != 1) report.Error(file, "note on channel " + std::to_string(n.channel));
    auto chord = ChordAtTick(spans, n.start);
    if (!chord || !IsChordTone(*chord, n.key)) report.Error(file, "melody note outside the chord");
  }
}

}  // namespace content
