#include "harmony.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

namespace content {
namespace {

constexpr std::array<const char*, 12> kNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<int, 7> kMajorSteps = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinorSteps = {0, 2, 3, 5, 7, 8, 10};

int Mod12(int v) {
  return ((v % 12) + 12) % 12;
}

int RomanValue(const std::string& upper) {
  static const std::array<const char*, 7> kRoman = {"I", "II", "III", "IV", "V", "VI", "VII"};
  for (size_t i = 0; i < kRoman.size(); ++i)
    if (upper == kRoman[i]) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::vector<int> ChordIntervals(ChordType type) {
  switch (type) {
    case ChordType::kMaj:
      return {0, 4, 7};
    case ChordType::kMin:
      return {0, 3, 7};
    case ChordType::kSeventh:
      return {0, 4, 7, 10};
    case ChordType::kMaj7:
      return {0, 4, 7, 11};
    case ChordType::kMin7:
      return {0, 3, 7, 10};
    case ChordType::kDim:
      return {0, 3, 6};
    case ChordType::kAug:
      return {0, 4, 8};
    case ChordType::kSus4:
      return {0, 5, 7};
  }
  return {0};
}

std::vector<int> ChordPitchClasses(const Chord& chord) {
  std::vector<int> pcs;
  for (int i : ChordIntervals(chord.type)) pcs.push_back(Mod12(chord.root + i));
  return pcs;
}

bool IsChordTone(const Chord& chord, int key) {
  const auto pcs = ChordPitchClasses(chord);
  return std::find(pcs.begin(), pcs.end(), Mod12(key)) != pcs.end();
}

const char* PitchClassName(int pitch_class) {
  return kNames[Mod12(pitch_class)];
}

const char* ChordTypeName(ChordType type) {
  switch (type) {
    case ChordType::kMaj:
      return "maj";
    case ChordType::kMin:
      return "min";
    case ChordType::kSeventh:
      return "7";
    case ChordType::kMaj7:
      return "maj7";
    case ChordType::kMin7:
      return "min7";
    case ChordType::kDim:
      return "dim";
    case ChordType::kAug:
      return "aug";
    case ChordType::kSus4:
      return "sus4";
  }
  return "maj";
}

std::optional<ChordType> ParseChordTypeName(const std::string& text) {
  for (ChordType t : {ChordType::kMaj, ChordType::kMin, ChordType::kSeventh, ChordType::kMaj7,
                      ChordType::kMin7, ChordType::kDim, ChordType::kAug, ChordType::kSus4})
    if (text == ChordTypeName(t)) return t;
  return std::nullopt;
}

std::optional<int> ParsePitchClass(const std::string& text) {
  if (text.empty()) return std::nullopt;
  static const std::array<int, 7> kLetter = {9, 11, 0, 2, 4, 5, 7};  // A..G
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (letter < 'A' || letter > 'G') return std::nullopt;
  int pc = kLetter[letter - 'A'];
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '#')
      ++pc;
    else if (text[i] == 'b')
      --pc;
    else
      return std::nullopt;
  }
  return Mod12(pc);
}

std::optional<int> ParseNoteName(const std::string& text) {
  size_t digits = text.size();
  while (digits > 0 &&
         (std::isdigit(static_cast<unsigned char>(text[digits - 1])) || text[digits - 1] == '-'))
    --digits;
  if (digits == 0 || digits == text.size()) return std::nullopt;
  const std::string name = text.substr(0, digits);
  auto pc = ParsePitchClass(name);
  if (!pc) return std::nullopt;
  const int octave = std::atoi(text.c_str() + digits);
  int alteration = 0;
  for (size_t i = 1; i < name.size(); ++i) alteration += name[i] == '#' ? 1 : -1;
  // Octave numbering follows the letter: "Cb4" is B3, "B#3" is C4.
  const int natural = Mod12(*pc - alteration);
  const int key = (octave + 1) * 12 + natural + alteration;
  if (key < 0 || key > 127) return std::nullopt;
  return key;
}

std::optional<Chord> ParseRomanNumeral(const std::string& text, Mode mode) {
  size_t pos = 0;
  int accidental = 0;
  while (pos < text.size() && (text[pos] == 'b' || text[pos] == '#')) {
    accidental += text[pos] == '#' ? 1 : -1;
    ++pos;
  }
  size_t end = pos;
  while (end < text.size() &&
         (text[end] == 'I' || text[end] == 'V' || text[end] == 'i' || text[end] == 'v'))
    ++end;
  if (end == pos) return std::nullopt;
  std::string numeral = text.substr(pos, end - pos);
  const bool upper = std::isupper(static_cast<unsigned char>(numeral[0]));
  for (char& c : numeral) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const int degree = RomanValue(numeral);
  if (degree < 0) return std::nullopt;
  const auto& steps = mode == Mode::kMajor ? kMajorSteps : kMinorSteps;
  Chord chord{Mod12(steps[degree] + accidental), upper ? ChordType::kMaj : ChordType::kMin};
  const std::string suffix = text.substr(end);
  if (suffix.empty()) return chord;
  if (suffix == "7") {
    chord.type = upper ? ChordType::kSeventh : ChordType::kMin7;
  } else if (suffix == "maj7") {
    chord.type = ChordType::kMaj7;
  } else if (suffix == "o") {
    chord.type = ChordType::kDim;
  } else if (suffix == "+") {
    chord.type = ChordType::kAug;
  } else if (suffix == "sus4") {
    chord.type = ChordType::kSus4;
  } else {
    return std::nullopt;
  }
  return chord;
}

std::vector<int> ScaleFor(Mode mode, const Chord& chord) {
  const auto& steps = mode == Mode::kMajor ? kMajorSteps : kMinorSteps;
  std::vector<int> scale(steps.begin(), steps.end());
  const auto tones = ChordPitchClasses(chord);
  const bool has_e = std::find(tones.begin(), tones.end(), 4) != tones.end();
  for (int tone : tones) {
    if (std::find(scale.begin(), scale.end(), tone) != scale.end()) continue;
    // Which scale degree a chromatic chord tone alters: raised tones replace
    // the degree below (B for B flat in minor), lowered ones the degree above
    // (B flat for B in major). G sharp over E major raises G; A flat lowers A.
    int altered = -1;
    if (mode == Mode::kMajor) {
      static const int kMajor[12] = {-1, 0, -1, 4, -1, -1, 5, -1, -1, -1, 11, -1};
      altered = tone == 8 ? (has_e ? 7 : 9) : kMajor[tone];
    } else {
      static const int kMinor[12] = {-1, 2, -1, -1, 3, -1, 5, -1, -1, 8, -1, 10};
      altered = kMinor[tone];
    }
    for (int& s : scale)
      if (s == altered) s = tone;
  }
  std::sort(scale.begin(), scale.end());
  scale.erase(std::unique(scale.begin(), scale.end()), scale.end());
  return scale;
}

ChordFunction FunctionOf(const Chord& chord, Mode mode) {
  const bool minorish = chord.type == ChordType::kMin || chord.type == ChordType::kMin7;
  const bool dim = chord.type == ChordType::kDim;
  switch (chord.root) {
    case 0:
      return ChordFunction::kTonic;
    case 2:
      return dim || minorish || mode == Mode::kMajor ? ChordFunction::kSubdominant
                                                     : ChordFunction::kOther;
    case 3:
      return ChordFunction::kTonic;  // III of the minor key
    case 4:
      // iii is a tonic substitute; E major (the dominant of vi) acts as a dominant.
      return minorish ? ChordFunction::kTonic : ChordFunction::kDominant;
    case 5:
      return ChordFunction::kSubdominant;
    case 7:
      return minorish ? ChordFunction::kOther : ChordFunction::kDominant;
    case 8:
      return ChordFunction::kTonic;  // VI: the deceptive resolution
    case 9:
      return minorish ? ChordFunction::kTonic : ChordFunction::kSubdominant;
    case 10:
      return mode == Mode::kMinor ? ChordFunction::kDominant : ChordFunction::kSubdominant;
    case 11:
      return ChordFunction::kDominant;
    default:
      return ChordFunction::kOther;
  }
}

bool IsTonicChord(const Chord& chord, Mode mode) {
  if (chord.root != 0) return false;
  const bool minorish = chord.type == ChordType::kMin || chord.type == ChordType::kMin7;
  return mode == Mode::kMinor ? minorish : !minorish && chord.type != ChordType::kDim;
}

std::optional<Chord> RecogniseChord(const std::vector<int>& keys) {
  if (keys.empty()) return std::nullopt;
  const int root = *std::min_element(keys.begin(), keys.end());
  std::vector<int> intervals;
  for (int k : keys) intervals.push_back(Mod12(k - root));
  std::sort(intervals.begin(), intervals.end());
  intervals.erase(std::unique(intervals.begin(), intervals.end()), intervals.end());
  for (ChordType t : {ChordType::kMaj, ChordType::kMin, ChordType::kSeventh, ChordType::kMaj7,
                      ChordType::kMin7, ChordType::kDim, ChordType::kAug, ChordType::kSus4}) {
    if (ChordIntervals(t) == intervals) return Chord{Mod12(root), t};
  }
  return std::nullopt;
}

}  // namespace content
