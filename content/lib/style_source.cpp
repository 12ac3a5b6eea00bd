#include "style_source.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "smf_writer.h"

namespace content {
namespace {

const std::map<std::string, int>& DrumNames() {
  static const std::map<std::string, int> names = {
      {"kick2", 35},    {"kick", 36},         {"rim", 37},       {"snare", 38},
      {"clap", 39},     {"snare2", 40},       {"lowtom2", 41},   {"hat", 42},
      {"floortom", 43}, {"pedalhat", 44},     {"lowtom", 45},    {"openhat", 46},
      {"midtom", 47},   {"hitom2", 48},       {"crash", 49},     {"hitom", 50},
      {"ride", 51},     {"china", 52},        {"ridebell", 53},  {"tambourine", 54},
      {"splash", 55},   {"cowbell", 56},      {"crash2", 57},    {"vibraslap", 58},
      {"ride2", 59},    {"bongohi", 60},      {"bongolo", 61},   {"congamute", 62},
      {"congahi", 63},  {"congalo", 64},      {"timbalehi", 65}, {"timbalelo", 66},
      {"agogohi", 67},  {"agogolo", 68},      {"cabasa", 69},    {"maracas", 70},
      {"whistle", 71},  {"whistle2", 72},     {"guiro", 73},     {"guirolong", 74},
      {"claves", 75},   {"woodhi", 76},       {"woodlo", 77},    {"cuicamute", 78},
      {"cuica", 79},    {"trianglemute", 80}, {"triangle", 81}};
  return names;
}

StylePart ParsePart(const SourceLine& line, const std::string& text) {
  for (StylePart p : kAllStyleParts)
    if (text == StylePartName(p)) return p;
  line.Fail("unknown part " + text);
}

SectionKind ParseKind(const SourceLine& line, const std::string& text) {
  if (text == "main") return SectionKind::kMain;
  if (text == "fill") return SectionKind::kFill;
  if (text == "intro") return SectionKind::kIntro;
  if (text == "ending") return SectionKind::kEnding;
  if (text == "final") return SectionKind::kFinal;
  line.Fail("unknown section " + text);
}

int ParseKeyOption(const SourceLine& line, const std::string& value) {
  if (auto key = ParseNoteName(value)) return *key;
  return ParseInt(line, value);
}

PatternRow ParseDrumRow(const SourceLine& line, const std::string& grid, int steps) {
  if (grid.empty() || grid.size() % static_cast<size_t>(steps) != 0)
    line.Fail("a drum row fills whole measures of " + std::to_string(steps) + " steps");
  PatternRow row{static_cast<int>(grid.size()), {}};
  for (size_t i = 0; i < grid.size(); ++i) {
    const char c = grid[i];
    int velocity = 0;
    if (c == 'X')
      velocity = 118;
    else if (c == 'x')
      velocity = 96;
    else if (c == 'o')
      velocity = 58;
    else if (c != '-' && c != '.')
      line.Fail(std::string("drum grid uses X x o - ., not ") + c);
    if (velocity > 0) row.notes.push_back({static_cast<int>(i), 1, {}, velocity});
  }
  return row;
}

// Tokens like "E4+G4+C5:8@70", "C2:4", "r:2".
PatternRow ParseNoteRow(const SourceLine& line, size_t from, int steps) {
  PatternRow row;
  for (size_t i = from; i < line.tokens.size(); ++i) {
    std::string token = line.tokens[i];
    int velocity = 92;
    if (auto at = token.find('@'); at != std::string::npos) {
      velocity = ParseInt(line, token.substr(at + 1));
      token = token.substr(0, at);
    }
    const auto colon = token.find(':');
    if (colon == std::string::npos) line.Fail("a note needs :length, got " + token);
    const int length = ParseInt(line, token.substr(colon + 1));
    if (length <= 0) line.Fail("a length is at least one step");
    const std::string pitches = token.substr(0, colon);
    if (pitches != "r") {
      PatternNote note{row.steps_total, length, {}, velocity};
      for (const auto& name : SplitList(pitches, '+')) {
        auto key = ParseNoteName(name);
        if (!key) line.Fail("not a note: " + name);
        note.keys.push_back(*key);
      }
      row.notes.push_back(note);
    }
    row.steps_total += length;
  }
  if (row.steps_total == 0 || row.steps_total % steps != 0)
    line.Fail("a row fills whole measures of " + std::to_string(steps) + " steps");
  return row;
}

// feel swing=3 humanise=2,6 accents=8,-4,4,-4 offbeat=-6 between=-12 push=bass:-2,drums:1
GrooveFeel ParseFeel(const SourceLine& line) {
  GrooveFeel feel;
  for (const auto& [key, value] : OptionsOf(line, 1)) {
    const auto list = SplitList(value, ',');
    if (key == "swing") {
      feel.swing = ParseInt(line, value);
    } else if (key == "humanise" && list.size() == 2) {
      feel.humanise_ticks = ParseInt(line, list[0]);
      feel.humanise_velocity = ParseInt(line, list[1]);
    } else if (key == "accents") {
      for (const auto& a : list) feel.accents.push_back(ParseInt(line, a));
    } else if (key == "offbeat") {
      feel.offbeat = ParseInt(line, value);
    } else if (key == "between") {
      feel.between = ParseInt(line, value);
    } else if (key == "level") {
      feel.level = ParseInt(line, value);
    } else if (key == "push") {
      for (const auto& item : list) {
        const auto colon = item.find(':');
        if (colon == std::string::npos) line.Fail("push=<part>:<ticks>,...");
        feel.push[ParsePart(line, item.substr(0, colon))] = ParseInt(line, item.substr(colon + 1));
      }
    } else {
      line.Fail("unknown feel option " + key);
    }
  }
  if (feel.swing < 0 || feel.humanise_ticks < 0 || feel.humanise_velocity < 0)
    line.Fail("swing and humanise are not negative");
  return feel;
}

}  // namespace

int GrooveFeel::Reach() const {
  int widest_push = 0;
  for (const auto& [part, ticks] : push) widest_push = std::max(widest_push, std::abs(ticks));
  return swing + widest_push + humanise_ticks;
}

int ChannelOf(StylePart part) {
  return 12 + static_cast<int>(part);
}

const char* StylePartName(StylePart part) {
  switch (part) {
    case StylePart::kAcc1:
      return "acc1";
    case StylePart::kAcc2:
      return "acc2";
    case StylePart::kAcc3:
      return "acc3";
    case StylePart::kBass:
      return "bass";
    case StylePart::kDrums:
      return "drums";
  }
  return "?";
}

int DrumKeyByName(const std::string& name) {
  auto it = DrumNames().find(name);
  return it == DrumNames().end() ? -1 : it->second;
}

StyleSource ParseStyle(const std::vector<SourceLine>& source, StyleMood mood) {
  StyleSource style;
  style.dark = mood == StyleMood::kDark;
  // The shared lines first, then (for the dark variant) the dark ones.
  std::vector<SourceLine> lines;
  std::vector<SourceLine> dark_lines;
  for (const auto& line : source) {
    if (line.tokens[0] != "dark") {
      lines.push_back(line);
      continue;
    }
    if (line.tokens.size() < 2) line.Fail("dark <line>");
    SourceLine stripped = line;
    stripped.tokens.erase(stripped.tokens.begin());
    dark_lines.push_back(stripped);
  }
  if (style.dark) lines.insert(lines.end(), dark_lines.begin(), dark_lines.end());
  for (const auto& line : lines) {
    const auto& t = line.tokens;
    if (t[0] == "style" && t.size() == 2) {
      style.name = t[1];
    } else if (t[0] == "beats" && t.size() == 2) {
      style.beats = ParseInt(line, t[1]);
      if (style.beats != 3 && style.beats != 4) line.Fail("beats is 3 or 4");
    } else if (t[0] == "steps" && t.size() == 2) {
      style.steps = ParseInt(line, t[1]);
      if (style.steps <= 0 || (style.beats * 96) % style.steps != 0)
        line.Fail("steps must divide the measure");
    } else if (t[0] == "chord" && t.size() == 3) {
      auto root = ParsePitchClass(t[1]);
      auto type = ParseChordTypeName(t[2]);
      if (!root || !type) line.Fail("chord <root> <type>");
      style.chord = {*root, *type};
    } else if (t[0] == "feel") {
      style.feel = ParseFeel(line);
      if (!style.feel.accents.empty() && static_cast<int>(style.feel.accents.size()) != style.beats)
        line.Fail("accents= gives one value per beat");
      if (2 * style.feel.Reach() >= style.beats * kTicksPerBeat / style.steps)
        line.Fail("the feel moves notes half a grid step or more");
    } else if (t[0] == "part" && t.size() >= 2) {
      const StylePart part = ParsePart(line, t[1]);
      PartSetup setup = style.parts.count(part) ? style.parts[part] : PartSetup{};
      setup.defined = true;
      if (part == StylePart::kDrums) setup.rule = "fixed";
      for (const auto& [key, value] : OptionsOf(line, 2)) {
        if (key == "program")
          setup.program = ParseInt(line, value);
        else if (key == "volume")
          setup.volume = ParseInt(line, value);
        else if (key == "pan")
          setup.pan = ParseInt(line, value);
        else if (key == "rule")
          setup.rule = value;
        else if (key == "low")
          setup.low = ParseKeyOption(line, value);
        else if (key == "high")
          setup.high = ParseKeyOption(line, value);
        else
          line.Fail("unknown part option " + key);
      }
      if (setup.rule != "chord" && setup.rule != "bass" && setup.rule != "scale" &&
          setup.rule != "fixed")
        line.Fail("rule is chord, bass, scale or fixed");
      if ((part == StylePart::kDrums) != (setup.rule == "fixed"))
        line.Fail("drums, and only drums, use the fixed rule");
      style.parts[part] = setup;
    } else if (t.size() >= 4) {
      PatternKey key;
      key.kind = ParseKind(line, t[0]);
      key.number = ParseInt(line, t[1]);
      if (key.number < 1 || key.number > (key.kind == SectionKind::kMain ? 4 : 2))
        line.Fail("section number out of range");
      key.part = ParsePart(line, t[2]);
      if (!style.parts[key.part].defined) line.Fail("part used before its part line");
      if (key.part == StylePart::kDrums) {
        if (t.size() != 5) line.Fail("drums <instrument> <grid>");
        key.drum_key = DrumKeyByName(t[3]);
        if (key.drum_key < 0) key.drum_key = ParseInt(line, t[3]);
        style.rows[key] = ParseDrumRow(line, t[4], style.steps);
      } else {
        style.rows[key] = ParseNoteRow(line, 3, style.steps);
      }
    } else {
      line.Fail("unknown line");
    }
  }
  if (style.name.empty()) throw SourceError("style without a style line");
  return style;
}

}  // namespace content
