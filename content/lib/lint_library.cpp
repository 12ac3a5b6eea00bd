#include "lint_library.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "lint_catalog.h"
#include "lint_melody.h"
#include "lint_style.h"

namespace content {
namespace {

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

std::string Numbered(const char* prefix, long id) {
  char name[40];
  std::snprintf(name, sizeof name, "%s_%08ld.dat", prefix, id);
  return name;
}

// The rhythms whose fill-in defaults the song builder treats specially; the
// library must have a rhythm for each.
constexpr int kFillInTableKeys[13][2] = {{0, 80},  {4, 16},  {8, 0},   {9, 64},  {19, 16},
                                         {67, 32}, {68, 64}, {71, 96}, {81, 32}, {85, 64},
                                         {86, 48}, {88, 80}, {111, 48}};

}  // namespace

LintReport LintLibrary(const std::string& data_dir, LibrarySize size) {
  LintReport report;
  const std::string dir = data_dir + "/";
  std::string text;
  int groups = 0;
  std::vector<CatalogRhythm> rhythms;
  std::vector<CatalogMelody> melodies;
  if (!ReadText(dir + "QM3RHY.toc", text))
    report.Error("QM3RHY.toc", "missing");
  else
    rhythms = ReadRhythmCatalog(text, report, &groups);
  if (!ReadText(dir + "QM3MEL.toc", text))
    report.Error("QM3MEL.toc", "missing");
  else
    melodies = ReadMelodyCatalog(text, report);

  const MelodyRules rules;
  std::map<long, long> melody_beats;
  for (const auto& m : melodies) {
    const std::string name = "melody " + std::to_string(m.id);
    if (!melody_beats.emplace(m.id, m.beats).second)
      report.Error(name, "catalog number used twice");
    if (m.id < 0 || m.id > 99999999) report.Error(name, "catalog number out of range");
    if (m.beats != 3 && m.beats != 4) report.Error(name, "beats per measure is not 3 or 4");
    for (const auto* set : {&m.bright, &m.dark}) {
      if (set->size() < 2 || set->size() > 6) report.Error(name, "a phrase set has 2 to 6 phrases");
      for (long l : *set)
        if (l < 2 || l > 8) report.Error(name, "a phrase has 2 to 8 measures");
    }
    for (int dark = 0; dark <= 1; ++dark) {
      const std::string file = Numbered(dark ? "mp" : "p", m.id);
      auto read = ReadSmfFile(dir + file);
      if (!read.track) {
        report.Error(file, read.error);
        continue;
      }
      LintPhraseFile(file, *read.track, static_cast<int>(m.beats), dark ? m.dark : m.bright,
                     dark ? Mode::kMinor : Mode::kMajor, rules, report);
    }
  }

  for (int dark = 0; dark <= 1; ++dark) {
    const std::string prefix = dark ? "m" : "";
    const Mode mode = dark ? Mode::kMinor : Mode::kMajor;
    for (const char* name :
         {"I_src_mid.dat", "I_src_f_mid.dat", "E_src_mid.dat", "chord_mid.dat", "chord2_mid.dat"}) {
      const std::string file = prefix + name;
      auto read = ReadSmfFile(dir + file);
      if (!read.track) {
        report.Error(file, read.error);
        continue;
      }
      const bool closes =
          file.find("E_src") != std::string::npos || file.find("chord") != std::string::npos;
      LintFixedSource(file, *read.track, mode, closes, report);
    }
  }

  std::set<std::pair<long, long>> style_keys;
  std::set<std::vector<long>> references;
  for (const auto& r : rhythms) {
    const std::string name = "rhythm " + r.name;
    if (!references.insert({r.key_a(), r.key_b(), r.key_c()}).second)
      report.Error(name, "key numbers a, b, c used twice");
    style_keys.insert({r.key_b(), r.key_c()});
    if (r.beats() != 3 && r.beats() != 4) report.Error(name, "beats per measure is not 3 or 4");
    if (r.tempo() < 40 || r.tempo() > 250) report.Error(name, "implausible standard tempo");
    for (int n = 1; n <= 2; ++n)
      if (r.intro(n) < 1 || r.intro(n) > 8 || r.ending(n) < 1 || r.ending(n) > 8)
        report.Error(name, "intro and ending lengths are 1 to 8 measures");
    auto melody = melody_beats.find(r.melody());
    if (melody == melody_beats.end())
      report.Error(name, "default melody " + std::to_string(r.melody()) + " is not in the catalog");
    else if (melody->second != r.beats())
      report.Error(name, "default melody has another metre");
    for (size_t i = 12; i < r.numbers.size(); ++i) {
      if (i == 13) continue;  // transposition, signed
      if (r.numbers[i] < 1 || r.numbers[i] > 127) report.Error(name, "part volume out of range");
    }
    if (r.numbers[10] < 0 || r.numbers[10] > 127 || r.numbers[11] < 0 || r.numbers[11] > 127)
      report.Error(name, "melody program or bank out of range");
    if (r.numbers[13] < -12 || r.numbers[13] > 12)
      report.Error(name, "transposition beyond an octave");
    char style[40];
    std::snprintf(style, sizeof style, "styles/style_%03ld_%03ld.mid", r.key_b(), r.key_c());
    auto read = ReadSmfFile(dir + style);
    if (!read.track) {
      report.Error(style, read.error);
      continue;
    }
    LintStyleFile(style, *read.track, r, report);
    // The dark mood's variant: the same checks, and audibly another mood.
    std::snprintf(style, sizeof style, "styles/dark/style_%03ld_%03ld.mid", r.key_b(), r.key_c());
    auto dark = ReadSmfFile(dir + style);
    if (!dark.track) {
      if (size == LibrarySize::kShipped) report.Error(style, dark.error);
      continue;
    }
    LintStyleFile(style, *dark.track, r, report);
    LintMoodContrast(style, *read.track, *dark.track, report);
  }

  if (size == LibrarySize::kShipped) {
    if (groups < 8) report.Error("QM3RHY.toc", "fewer than 8 groups");
    if (rhythms.size() < 32) report.Error("QM3RHY.toc", "fewer than 32 rhythms");
    for (const auto& keys : kFillInTableKeys)
      if (!style_keys.count({keys[0], keys[1]}))
        report.Error("QM3RHY.toc", "no rhythm with keys " + std::to_string(keys[0]) + "," +
                                       std::to_string(keys[1]));
    for (long id = 0; id <= 10005; id = id == 53 ? 10000 : id + 1)
      if (!melody_beats.count(id))
        report.Error("QM3MEL.toc", "melody " + std::to_string(id) + " is missing");
    bool waltz = false;
    for (const auto& r : rhythms) waltz = waltz || r.beats() == 3;
    if (!waltz) report.Error("QM3RHY.toc", "no rhythm in 3/4");
  }
  return report;
}

}  // namespace content
