// The rhythm list (sources/rhythms.txt): groups of rhythms, each naming its
// style source, key numbers, tempo, metre, intro and ending lengths, default
// melody, melody voice, transposition and part volumes.
// Plain value types; no locking, no threads.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "source_text.h"
#include "style_source.h"

namespace content {

struct RhythmSpec {
  std::string name;
  int key_a = 0, key_b = 0, key_c = 0;
  std::string style;
  int tempo = 120;
  int beats = 4;
  int intro[2] = {2, 1};   // measures of intro 1 and 2
  int ending[2] = {2, 1};  // measures of ending 1 and 2
  int melody = 0;          // default melody id
  int program = 0;         // melody voice: program and bank select fine
  int bank = 0;
  int transpose = 0;  // semitones from C to the rhythm's key
  // Part volumes: melody, drums, bass, accompaniment 1, 2, 3.
  int volumes[6] = {110, 100, 100, 90, 85, 80};
  std::map<StylePart, int> programs;  // voice overrides of the style's parts
  // The dark mood's overrides; when given they replace `programs`.
  std::optional<std::map<StylePart, int>> dark_programs;
};

struct RhythmGroup {
  std::string name;
  std::vector<RhythmSpec> rhythms;
};

std::vector<RhythmGroup> ParseRhythms(const std::vector<SourceLine>& lines);

// The rhythm catalog text: a comment, then per group its header line and one
// line per rhythm with the name and 19 numbers.
std::string RhythmCatalogText(const std::vector<RhythmGroup>& groups);

}  // namespace content
