// Pitch names, chord types and Roman-numeral chords: the small music theory
// the content generator and linter share. Pure functions; no state.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace content {

// The chord types the sound module recognises from the channel 11 notes.
enum class ChordType { kMaj, kMin, kSeventh, kMaj7, kMin7, kDim, kAug, kSus4 };

struct Chord {
  int root = 0;  // pitch class 0..11, C = 0
  ChordType type = ChordType::kMaj;
  bool operator==(const Chord&) const = default;
};

enum class Mode { kMajor, kMinor };

// Semitones above the root, root first.
std::vector<int> ChordIntervals(ChordType type);
// Pitch classes of the chord, root first.
std::vector<int> ChordPitchClasses(const Chord& chord);
bool IsChordTone(const Chord& chord, int key);

const char* PitchClassName(int pitch_class);  // "C", "C#", ... "B"
const char* ChordTypeName(ChordType type);    // "maj", "min", "7", ...
std::optional<int> ParsePitchClass(const std::string& text);
std::optional<ChordType> ParseChordTypeName(const std::string& text);
// "C4" = 60, "F#2" = 42, "Bb3" = 58.
std::optional<int> ParseNoteName(const std::string& text);

// Roman numeral relative to C in the given mode: "I", "vi", "V7", "viio",
// "bVII", "IVmaj7", "ii7", "Vsus4", "III+" (case gives major or minor).
std::optional<Chord> ParseRomanNumeral(const std::string& text, Mode mode);

// Scale of C in the mode, adjusted so the chord's tones belong to it (over G
// major in C minor the B natural replaces B flat).
std::vector<int> ScaleFor(Mode mode, const Chord& chord);

// Harmonic function of a chord in C.
enum class ChordFunction { kTonic, kSubdominant, kDominant, kOther };
ChordFunction FunctionOf(const Chord& chord, Mode mode);
bool IsTonicChord(const Chord& chord, Mode mode);

// Recognises a chord from held keys (lowest key = root, root position);
// nothing when the keys form none of the known types.
std::optional<Chord> RecogniseChord(const std::vector<int>& keys);

}  // namespace content
