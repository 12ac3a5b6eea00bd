#include "melody_composer.h"

#include <algorithm>
#include <cstdlib>

#include "humanise.h"

namespace content {
namespace {

int Mod12(int v) {
  return ((v % 12) + 12) % 12;
}

bool InScale(const std::vector<int>& scale, int key) {
  return std::find(scale.begin(), scale.end(), Mod12(key)) != scale.end();
}

// Moves `steps` scale steps from `key` (a key outside the scale first lands on
// the neighbouring scale tone in the direction of motion).
int ScaleStep(int key, int steps, const std::vector<int>& scale) {
  const int direction = steps >= 0 ? 1 : -1;
  int k = key;
  while (!InScale(scale, k)) k += direction;
  for (int i = 0; i < std::abs(steps); ++i) {
    k += direction;
    while (!InScale(scale, k)) k += direction;
  }
  return k;
}

// The chord tone nearest to `target` inside the singable range; ties go the
// way the line is moving.
int NearestChordTone(int target, const Chord& chord, int direction) {
  const int first = direction >= 0 ? 1 : -1;
  for (int d = 0; d < 12; ++d) {
    for (int sign : {first, -first}) {
      const int k = target + sign * d;
      if (k >= kMelodyLowest && k <= kMelodyHighest && IsChordTone(chord, k)) return k;
    }
  }
  return target;
}

int NearestPitchClass(int target, int pitch_class) {
  int best = target;
  int best_distance = 99;
  for (int k = kMelodyLowest; k <= kMelodyHighest; ++k) {
    if (Mod12(k) != pitch_class) continue;
    const int distance = std::abs(k - target);
    if (distance < best_distance) {
      best = k;
      best_distance = distance;
    }
  }
  return best;
}

// A measure with two chords changes at beat 3 (4/4) or after two beats (3/4).
constexpr uint32_t kChordSplit = 192;

const Chord& ChordAt(const ProgressionMeasure& measure, uint32_t offset) {
  return measure.chords.size() == 2 && offset >= kChordSplit ? measure.chords[1]
                                                             : measure.chords[0];
}

// Loudness of a melody note: phrases rise to their peak about two thirds in
// and fall back towards the cadence; the first phrase of a set is held back
// and the last one (the closing chorus when there are several) sung out;
// strong beats lean in, notes between beats lighten, higher notes carry more.
int MelodyVelocity(double progress, int phrase, int phrases, bool strong, bool on_beat, int key,
                   bool phrase_end, bool dark, int jitter) {
  int v = dark ? 78 : 84;  // the dark mood is sung more quietly
  if (phrase == 0) v -= 6;
  if (phrases >= 3 && phrase + 1 == phrases) v += 6;
  v += progress < 0.6 ? static_cast<int>(-7 + 17 * progress / 0.6)
                      : static_cast<int>(10 - 18 * (progress - 0.6) / 0.4);
  v += strong ? 6 : on_beat ? 0 : -5;
  v += (key - (dark ? 64 : 67)) / 3;
  if (phrase_end && phrase + 1 < phrases) v -= 4;
  return std::clamp(v + jitter, 40, 120);
}

}  // namespace

void WriteMood(TrackBuilder& track, Mode mode) {
  track.Control(0, kChordChannel, kMoodController, mode == Mode::kMinor ? 127 : 0);
}

void WriteChordNotes(TrackBuilder& track, uint32_t tick, uint32_t length, const Chord& chord,
                     int velocity) {
  const int root = 48 + chord.root;
  for (int interval : ChordIntervals(chord.type))
    track.Note(tick, length, kChordChannel, root + interval, velocity);
}

std::vector<std::string> PhrasePlan(int measures, bool contrasting) {
  std::vector<std::string> plan;
  switch (measures) {
    case 2:
      plan = {"a", "Z"};
      break;
    case 3:
      plan = {"a", "b", "Z"};
      break;
    case 4:
      plan = {"a", "a'", "b", "Z"};
      break;
    case 5:
      plan = {"a", "a'", "b", "b'", "Z"};
      break;
    case 6:
      plan = {"a", "a'", "b", "a", "c", "Z"};
      break;
    case 7:
      plan = {"a", "a'", "b", "b'", "a", "c", "Z"};
      break;
    default:
      plan = {"a", "a'", "b", "Z", "a", "a'", "c", "Z"};
      break;
  }
  if (contrasting) {
    for (auto& p : plan) {
      if (p[0] == 'a')
        p[0] = 'b';
      else if (p[0] == 'b')
        p[0] = 'a';
    }
  }
  return plan;
}

TrackBuilder ComposePhraseSet(const MelodyLibrary& library, const MelodySpec& melody, Mode mode) {
  const PhraseSetSpec& set = mode == Mode::kMajor ? melody.bright : melody.dark;
  const uint32_t measure_ticks = static_cast<uint32_t>(melody.beats * kTicksPerBeat);
  const uint32_t strong_every = melody.beats == 4 ? 192 : 288;
  TrackBuilder track;
  track.TimeSignature(0, melody.beats, 4);
  track.Tempo(0, 120.0);
  track.Text(0, 0x03, melody.name);
  WriteMood(track, mode);

  uint32_t tick = 0;
  const uint64_t seed = Mix(SeedOf(melody.name),
                            static_cast<uint64_t>(melody.id) * 2 + (mode == Mode::kMinor ? 1 : 0));
  const int phrases = static_cast<int>(set.progressions.size());
  // The dark mood sits lower and further behind the beat.
  const bool dark = mode == Mode::kMinor;
  const int home = dark ? 64 : 67;
  int previous = home;  // G4: the line starts in the middle of the range
  for (size_t phrase = 0; phrase < set.progressions.size(); ++phrase) {
    const Progression& progression = library.progressions.at(set.progressions[phrase]);
    const int measures = static_cast<int>(progression.measures.size());
    const uint32_t phrase_start = tick;
    const uint32_t phrase_ticks = static_cast<uint32_t>(measures) * measure_ticks;
    const auto plan = PhrasePlan(measures, phrase % 2 == 1);
    const bool last_phrase = phrase + 1 == set.progressions.size();
    // Each phrase starts from its own register: the answering phrases sit
    // higher, so the set has a shape instead of drifting to the bottom.
    const int register_start = phrase % 2 == 1 ? home + 5 : home;
    if (std::abs(previous - register_start) > 2) previous = (previous + 2 * register_start) / 3;
    for (int m = 0; m < measures; ++m) {
      const ProgressionMeasure& harmony = progression.measures[m];
      // Chords: held for the measure or its halves.
      if (harmony.chords.size() == 1) {
        WriteChordNotes(track, tick, measure_ticks, harmony.chords[0], 64);
      } else {
        WriteChordNotes(track, tick, kChordSplit, harmony.chords[0], 64);
        WriteChordNotes(track, tick + kChordSplit, measure_ticks - kChordSplit, harmony.chords[1],
                        64);
      }

      const std::string& role = plan[m];
      const bool cadence = role == "Z";
      const std::string& motif_name =
          cadence ? melody.cadence : melody.motifs[static_cast<size_t>(role[0] - 'a')];
      const Motif& motif = library.motifs.at(motif_name);
      const int shift = role.size() > 1 ? (role[0] == 'a' ? 1 : -1) : 0;

      uint32_t offset = 0;
      size_t note_index = 0;
      int notes_in_motif = 0;
      for (const auto& n : motif.notes) notes_in_motif += n.rest ? 0 : 1;
      for (const MotifNote& note : motif.notes) {
        const uint32_t length = static_cast<uint32_t>(note.sixteenths * kSixteenth);
        if (note.rest) {
          offset += length;
          continue;
        }
        const Chord& chord = ChordAt(harmony, offset);
        const auto scale = ScaleFor(mode, chord);
        const int step = note.step + (note_index == 0 ? shift : 0);
        int key = ScaleStep(previous, step, scale);
        if (key > kMelodyHighest || key < kMelodyLowest) key = ScaleStep(previous, -step, scale);
        const bool strong = offset % strong_every == 0;
        const bool final_note = cadence && static_cast<int>(note_index) + 1 == notes_in_motif;
        if (final_note && last_phrase) {
          key = NearestPitchClass(key, 0);  // the tonic closes the set
        } else if (strong || final_note) {
          key = NearestChordTone(key, chord, step);
        }
        key = std::clamp(key, kMelodyLowest, kMelodyHighest);
        const uint32_t at = tick + offset;
        const uint64_t note_seed = Mix(seed, at);
        const double progress = static_cast<double>(at - phrase_start) / phrase_ticks;
        const int velocity = MelodyVelocity(progress, static_cast<int>(phrase), phrases, strong,
                                            offset % kTicksPerBeat == 0, key, final_note, dark,
                                            Jitter(note_seed, 3));
        // Sung slightly behind the beat, never ahead of a strong one; the
        // gap before the next note absorbs the shift.
        int late = (dark ? 2 : 1) + Jitter(note_seed >> 16, 2);
        if (strong) late = std::max(late, 0);
        const uint32_t gap = (length > 48 ? 8 : 4) + static_cast<uint32_t>(std::max(late, 0));
        track.Note(static_cast<uint32_t>(static_cast<int>(at) + late), length - gap, kMelodyChannel,
                   key, velocity);
        previous = key;
        offset += length;
        ++note_index;
      }
      tick += measure_ticks;
    }
  }
  track.EndAt(tick);
  return track;
}

}  // namespace content
