#include "chord.h"

#include <cstdlib>

namespace corvane {
namespace {

struct ChordShape {
  ChordType type;
  uint16_t mask;  // pitch classes above the root, bit 0 = root
  int third;
  int fifth;
  int seventh;  // -1: none
};

constexpr uint16_t Bits(std::initializer_list<int> pcs) {
  uint16_t m = 0;
  for (int pc : pcs) m = static_cast<uint16_t>(m | 1u << pc);
  return m;
}

constexpr std::array<ChordShape, 8> kShapes = {{
    {ChordType::kMajor, Bits({0, 4, 7}), 4, 7, -1},
    {ChordType::kMinor, Bits({0, 3, 7}), 3, 7, -1},
    {ChordType::kSeventh, Bits({0, 4, 7, 10}), 4, 7, 10},
    {ChordType::kMajorSeventh, Bits({0, 4, 7, 11}), 4, 7, 11},
    {ChordType::kMinorSeventh, Bits({0, 3, 7, 10}), 3, 7, 10},
    {ChordType::kDiminished, Bits({0, 3, 6}), 3, 6, -1},
    {ChordType::kAugmented, Bits({0, 4, 8}), 4, 8, -1},
    {ChordType::kSuspendedFourth, Bits({0, 5, 7}), 5, 7, -1},
}};

const ChordShape& ShapeOf(ChordType type) {
  for (const auto& s : kShapes) {
    if (s.type == type) return s;
  }
  return kShapes[0];
}

uint16_t Rotate(uint16_t mask, int root) {  // pitch-class set seen from `root`
  uint16_t out = 0;
  for (int pc = 0; pc < 12; ++pc) {
    if (mask & (1u << pc)) out = static_cast<uint16_t>(out | 1u << ((pc - root + 12) % 12));
  }
  return out;
}

int Mod12(int v) {
  return ((v % 12) + 12) % 12;
}

int Fold(int note, int low, int high) {
  if (low < 0 || high > 127 || low > high) {
    low = 0;
    high = 127;
  }
  if (note < low) note += 12 * ((low - note + 11) / 12);
  if (note > high) note -= 12 * ((note - high + 11) / 12);
  while (note < 0) note += 12;
  while (note > 127) note -= 12;
  return note;
}

// Shift of the root interval, taken the short way round (-6..+5).
int RootShift(const Chord& source, const Chord& current) {
  const int up = Mod12(current.root - source.root);
  return up > 5 ? up - 12 : up;
}

int NearestChordTone(int note, const Chord& chord) {
  const uint16_t mask = ShapeOf(chord.type).mask;
  for (int distance = 0; distance < 12; ++distance) {
    // Upward first, so a tie goes up.
    if (mask & (1u << Mod12(note + distance - chord.root))) return note + distance;
    if (mask & (1u << Mod12(note - distance - chord.root))) return note - distance;
  }
  return note;
}

int BassDegree(int interval, const ChordShape& from, const ChordShape& to) {
  if (interval == from.third) return to.third;
  if (interval == from.fifth) return to.fifth;
  if (from.seventh >= 0 && interval == from.seventh && to.seventh >= 0) return to.seventh;
  return interval;
}

}  // namespace

std::optional<Chord> RecogniseChord(const std::array<uint8_t, 128>& held) {
  uint16_t mask = 0;
  int lowest = -1;
  for (int key = 0; key < 128; ++key) {
    if (held[key] == 0) continue;
    if (lowest < 0) lowest = key;
    mask = static_cast<uint16_t>(mask | 1u << (key % 12));
  }
  if (lowest < 0) return std::nullopt;
  // The lowest note is tried first as the root, so symmetric chords (aug)
  // and inversions that match two shapes take the bass note's reading.
  for (int step = 0; step < 12; ++step) {
    const int root = (lowest + step) % 12;
    if (!(mask & (1u << root))) continue;
    const uint16_t seen = Rotate(mask, root);
    for (const auto& shape : kShapes) {
      if (seen == shape.mask) return Chord{root, shape.type};
    }
  }
  return std::nullopt;
}

std::optional<Chord> ParseChord(std::string_view root, std::string_view type) {
  static constexpr std::array<std::string_view, 12> kRoots = {"C",  "C#", "D",  "D#", "E",  "F",
                                                              "F#", "G",  "G#", "A",  "A#", "B"};
  static constexpr std::array<std::string_view, 8> kTypes = {"maj",  "min", "7",   "maj7",
                                                             "min7", "dim", "aug", "sus4"};
  Chord chord;
  int r = -1;
  for (int i = 0; i < 12; ++i) {
    if (kRoots[i] == root) r = i;
  }
  int t = -1;
  for (int i = 0; i < 8; ++i) {
    if (kTypes[i] == type) t = i;
  }
  if (r < 0 || t < 0) return std::nullopt;
  chord.root = r;
  chord.type = kShapes[t].type;
  return chord;
}

std::optional<PartRule> ParsePartRule(std::string_view name) {
  if (name == "chord") return PartRule::kChord;
  if (name == "bass") return PartRule::kBass;
  if (name == "scale") return PartRule::kScale;
  if (name == "fixed") return PartRule::kFixed;
  return std::nullopt;
}

int MoveNote(int note, PartRule rule, const Chord& source, const Chord& current, int low,
             int high) {
  switch (rule) {
    case PartRule::kFixed:
      return note;
    case PartRule::kChord:
      return Fold(NearestChordTone(note, current), low, high);
    case PartRule::kScale:
      return Fold(note + RootShift(source, current), low, high);
    case PartRule::kBass: {
      const int interval = Mod12(note - source.root);
      const int mapped = BassDegree(interval, ShapeOf(source.type), ShapeOf(current.type));
      return Fold(note + RootShift(source, current) + (mapped - interval), low, high);
    }
  }
  return note;
}

}  // namespace corvane
