// Style sources (sources/styles/*.sty): per-part voices and transposition
// rules, and the patterns of main variations, fill-ins, intros and endings,
// written as note rows and drum grids over one source chord.
// Plain value types; no locking, no threads.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "harmony.h"
#include "source_text.h"

namespace content {

enum class StylePart { kAcc1, kAcc2, kAcc3, kBass, kDrums };
inline constexpr StylePart kAllStyleParts[] = {StylePart::kAcc1, StylePart::kAcc2, StylePart::kAcc3,
                                               StylePart::kBass, StylePart::kDrums};
int ChannelOf(StylePart part);  // 12..16
const char* StylePartName(StylePart part);

struct PartSetup {
  bool defined = false;
  int program = 0;
  int volume = 100;
  int pan = 64;
  std::string rule = "chord";  // chord, bass, scale, fixed
  int low = 0;
  int high = 127;
};

// A note or chord of a pattern, in grid steps from the pattern's start.
struct PatternNote {
  int step = 0;
  int steps = 1;
  std::vector<int> keys;
  int velocity = 96;
};

struct PatternRow {
  int steps_total = 0;  // a whole number of measures
  std::vector<PatternNote> notes;
};

enum class SectionKind { kMain, kFill, kIntro, kEnding, kFinal };

struct PatternKey {
  SectionKind kind = SectionKind::kMain;
  int number = 1;
  StylePart part = StylePart::kAcc1;
  int drum_key = -1;  // drum rows only
  bool operator<(const PatternKey& o) const {
    return std::tie(kind, number, part, drum_key) < std::tie(o.kind, o.number, o.part, o.drum_key);
  }
};

// How a groove is played rather than printed: velocity accents by beat and
// by position inside the beat, swing, parts ahead of or behind the beat, and
// the size of the seeded humanisation.
struct GrooveFeel {
  int swing = 0;                  // ticks the odd grid steps come late (even grids only)
  int humanise_ticks = 0;         // largest random timing offset of a hit
  int humanise_velocity = 0;      // largest random velocity change
  std::vector<int> accents;       // velocity added on each beat of the measure
  int offbeat = 0;                // added halfway through a beat (the swung eighth on triplets)
  int between = 0;                // added on the remaining grid steps
  std::map<StylePart, int> push;  // ticks a part plays late (+) or early (-)
  int level = 0;                  // velocity added to every note
  // The largest distance of any note from its grid step.
  int Reach() const;
};

struct StyleSource {
  std::string name;
  int beats = 4;
  int steps = 16;  // grid steps per measure
  Chord chord{0, ChordType::kMaj};
  std::map<StylePart, PartSetup> parts;
  std::map<PatternKey, PatternRow> rows;
  GrooveFeel feel;
  bool dark = false;  // the dark mood's variant
};

// Lines starting with `dark` apply only to the dark mood's variant, after all
// the others: a part line there changes only the options it names, a pattern
// row replaces the row of that section and instrument, a feel line the feel.
enum class StyleMood { kBright, kDark };

// General MIDI drum names accepted in drum rows ("kick", "snare", "hat", ...).
int DrumKeyByName(const std::string& name);

StyleSource ParseStyle(const std::vector<SourceLine>& lines, StyleMood mood = StyleMood::kBright);

}  // namespace content
