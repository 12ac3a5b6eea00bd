// Chords for the style engine: recognising the chord held on the chord
// channel, and moving a pattern note written over one chord to another by
// the part's rule, folded into the part's note range.
//
// Thread rules: pure functions; no allocation.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane {

enum class ChordType {
  kMajor,
  kMinor,
  kSeventh,
  kMajorSeventh,
  kMinorSeventh,
  kDiminished,
  kAugmented,
  kSuspendedFourth
};

struct Chord {
  int root = 0;  // pitch class, C = 0
  ChordType type = ChordType::kMajor;
  friend bool operator==(const Chord&, const Chord&) = default;
};

// How a part's pattern notes follow the chord.
enum class PartRule {
  kChord,  // to the nearest tone of the current chord
  kBass,   // by the root interval, third/fifth/seventh to the current chord's
  kScale,  // by the root interval
  kFixed,  // never moved (drums)
};

// The chord made by the held keys (counts per key), or nothing when the keys
// do not form one of the known chords.
std::optional<Chord> RecogniseChord(const std::array<uint8_t, 128>& held);

// "C", "C#", ... "B" and "maj", "min", "7", "maj7", "min7", "dim", "aug", "sus4".
std::optional<Chord> ParseChord(std::string_view root, std::string_view type);
std::optional<PartRule> ParsePartRule(std::string_view name);

// The note to sound for pattern note `note` written over `source` while
// `current` is the chord; the result lies in [low, high] when that range
// spans an octave, and in 0..127 always.
int MoveNote(int note, PartRule rule, const Chord& source, const Chord& current, int low, int high);

}  // namespace corvane
