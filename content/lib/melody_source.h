// The melody sources: motifs (a rhythm and a melodic contour), named chord
// progressions in Roman numerals, and melodies built from both. Parsed from
// sources/motifs.txt, sources/progressions.txt and sources/melodies.txt.
// Plain value types; no locking, no threads.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "harmony.h"
#include "source_text.h"

namespace content {

inline constexpr int kSixteenth = 24;  // ticks

struct MotifNote {
  int sixteenths = 0;
  bool rest = false;
  int step = 0;  // scale steps from the previous note (notes only)
};

struct Motif {
  std::string name;
  int beats = 4;  // 3 or 4: the motif fills one measure
  std::vector<MotifNote> notes;
};

// One measure of a progression: one chord, or two that split the measure.
struct ProgressionMeasure {
  std::vector<Chord> chords;
  std::vector<std::string> symbols;
};

struct Progression {
  std::string name;
  Mode mode = Mode::kMajor;
  std::vector<ProgressionMeasure> measures;
};

struct PhraseSetSpec {
  std::vector<std::string> progressions;  // one per phrase
};

struct MelodySpec {
  int id = 0;
  std::string name;
  int beats = 4;
  std::vector<std::string> motifs;  // a, b, c
  std::string cadence;              // motif for the last measure of a phrase
  PhraseSetSpec bright;
  PhraseSetSpec dark;
};

struct MelodyLibrary {
  std::map<std::string, Motif> motifs;
  std::map<std::string, Progression> progressions;
  std::vector<MelodySpec> melodies;
};

void ParseMotifs(const std::vector<SourceLine>& lines, MelodyLibrary& library);
void ParseProgressions(const std::vector<SourceLine>& lines, MelodyLibrary& library);
void ParseMelodies(const std::vector<SourceLine>& lines, MelodyLibrary& library);
// Reads the three source files from the sources folder and cross-checks them.
MelodyLibrary LoadMelodyLibrary(const std::string& sources_dir);

// Phrase lengths in measures of one mood's set.
std::vector<int> PhraseLengths(const MelodyLibrary& library, const PhraseSetSpec& set);

}  // namespace content
