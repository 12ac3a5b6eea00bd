#include "lint_style.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "harmony.h"

namespace content {
namespace {

struct Section {
  std::string name;
  uint32_t start = 0;
  uint32_t end = 0;
};

struct PartText {
  int channel = 0;
  std::string rule;
  int low = -1;
  int high = -1;
};

bool ParsePartText(const std::string& text, PartText& part) {
  std::istringstream in(text);
  std::string a, b, c, d;
  if (!(in >> a >> b >> c >> d)) return false;
  if (a.rfind("part=", 0) != 0 || b.rfind("rule=", 0) != 0 || c.rfind("low=", 0) != 0 ||
      d.rfind("high=", 0) != 0)
    return false;
  try {
    part.channel = std::stoi(a.substr(5));
    part.rule = b.substr(5);
    part.low = std::stoi(c.substr(4));
    part.high = std::stoi(d.substr(5));
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

bool ValidChordText(const std::string& text) {
  if (text.rfind("chord=", 0) != 0) return false;
  std::istringstream in(text.substr(6));
  std::string root, type, extra;
  if (!(in >> root >> type) || (in >> extra)) return false;
  return ParsePitchClass(root) && PitchClassName(*ParsePitchClass(root)) == root &&
         ParseChordTypeName(type);
}

struct Groove {
  uint32_t step_ticks = 0;
  int reach = 0;
};

std::optional<Groove> ParseGroove(const std::string& text, uint32_t measure) {
  std::istringstream in(text);
  std::string head, steps_word, reach_word;
  int steps = 0, reach = -1;
  if (!(in >> head >> steps >> reach_word >> reach) || head != "groove=steps" ||
      reach_word != "reach" || steps <= 0 || measure % static_cast<uint32_t>(steps) != 0 ||
      reach < 0)
    return std::nullopt;
  return Groove{measure / static_cast<uint32_t>(steps), reach};
}

// How a style is played: timing inside the groove's own reach, enough
// distinct velocities per part, and drum hits on the beat heavier than off it.
void LintPlaying(const std::string& file, const ReadTrack& track, uint32_t measure,
                 const std::vector<Section>& sections, LintReport& report) {
  std::optional<Groove> groove;
  for (const auto& m : track.metas)
    if (m.tick == 0 && m.type == 0x01 && m.text.rfind("groove=", 0) == 0)
      groove = ParseGroove(m.text, measure);
  if (!groove) {
    report.Error(file, "no groove=steps <n> reach <ticks> text at tick 0");
    return;
  }
  if (2 * static_cast<uint32_t>(groove->reach) >= groove->step_ticks)
    report.Error(file, "the groove's reach is half a grid step or more");
  std::map<int, std::set<int>> velocities;
  std::set<int> off_grid_channels;
  long on_sum = 0, off_sum = 0, on_count = 0, off_count = 0;
  for (const auto& n : track.notes) {
    velocities[n.channel].insert(n.velocity);
    const uint32_t step = groove->step_ticks;
    const uint32_t grid = (n.start + step / 2) / step * step;
    const long offset = static_cast<long>(n.start) - static_cast<long>(grid);
    if (std::abs(offset) > groove->reach && off_grid_channels.insert(n.channel).second)
      report.Error(file, "channel " + std::to_string(n.channel) + " plays " +
                             std::to_string(offset) + " ticks off the grid, beyond the groove");
    if (n.channel != 16 || n.velocity < 64) continue;  // ghost notes are soft on purpose
    bool in_main = false;
    for (const auto& s : sections)
      in_main = in_main || (s.name.rfind("Main", 0) == 0 && s.start <= n.start && n.start < s.end);
    if (!in_main) continue;
    const bool on_beat = grid % 96 == 0;
    (on_beat ? on_sum : off_sum) += n.velocity;
    ++(on_beat ? on_count : off_count);
  }
  for (const auto& [channel, set] : velocities) {
    const size_t fewest = channel == 16 ? 8 : 3;
    if (set.size() < fewest)
      report.Error(file, "channel " + std::to_string(channel) + " uses only " +
                             std::to_string(set.size()) + " distinct velocities");
  }
  if (on_count > 0 && off_count > 0 && on_sum * off_count <= off_sum * on_count)
    report.Error(file, "the drums are no heavier on the beat than off it");
}

}  // namespace

void LintStyleFile(const std::string& file, const ReadTrack& track, const CatalogRhythm& rhythm,
                   LintReport& report) {
  const uint32_t measure = static_cast<uint32_t>(rhythm.beats() * 96);
  if (track.division != 96) report.Error(file, "division is not 96");
  bool signature = false, tempo = false;
  std::vector<Section> sections;
  for (const auto& m : track.metas) {
    if (m.tick == 0 && m.type == 0x58 && m.text.size() == 4) {
      signature = true;
      if (static_cast<uint8_t>(m.text[0]) != rhythm.beats() || m.text[1] != 2)
        report.Error(file, "time signature differs from the catalog's beats");
    }
    if (m.tick == 0 && m.type == 0x51 && m.text.size() == 3) {
      tempo = true;
      const long usec = (static_cast<uint8_t>(m.text[0]) << 16) |
                        (static_cast<uint8_t>(m.text[1]) << 8) | static_cast<uint8_t>(m.text[2]);
      if (usec == 0) {
        report.Error(file, "tempo of 0 microseconds per quarter note");
      } else if ((60000000 + usec / 2) / usec != rhythm.tempo()) {
        report.Error(file, "tempo differs from the catalog's");
      }
    }
    if (m.type == 0x06) sections.push_back({m.text, m.tick, 0});
  }
  if (!signature) report.Error(file, "no time signature at tick 0");
  if (!tempo) report.Error(file, "no tempo at tick 0");
  for (size_t i = 0; i < sections.size(); ++i)
    sections[i].end = i + 1 < sections.size() ? sections[i + 1].start : track.end_tick;

  std::map<std::string, Section> by_name;
  for (const auto& s : sections) {
    if (s.start % measure != 0) report.Error(file, s.name + " starts off the bar line");
    if ((s.end - s.start) % measure != 0 || s.end <= s.start)
      report.Error(file, s.name + " is not a whole number of measures");
    if (!by_name.emplace(s.name, s).second) report.Error(file, s.name + " appears twice");
  }
  const char* required[] = {"Main 1", "Main 2",  "Main 3",  "Main 4",   "Fill 1",
                            "Fill 2", "Intro 1", "Intro 2", "Ending 1", "Ending 2"};
  for (const char* name : required)
    if (!by_name.count(name)) report.Error(file, std::string("missing section ") + name);
  for (const auto& [name, s] : by_name) {
    bool known = false;
    for (const char* r : required) known = known || name == r;
    if (!known) report.Error(file, "unknown section " + name);
  }
  auto measures = [&](const std::string& name) {
    auto it = by_name.find(name);
    return it == by_name.end() ? -1L
                               : static_cast<long>((it->second.end - it->second.start) / measure);
  };
  for (int n = 1; n <= 2; ++n) {
    const std::string k = std::to_string(n);
    if (by_name.count("Fill " + k) && measures("Fill " + k) != 1)
      report.Error(file, "Fill " + k + " is not one measure");
    if (by_name.count("Intro " + k) && measures("Intro " + k) != rhythm.intro(n))
      report.Error(file, "Intro " + k + " lasts " + std::to_string(measures("Intro " + k)) +
                             " measures, the catalog says " + std::to_string(rhythm.intro(n)));
    if (by_name.count("Ending " + k) && measures("Ending " + k) != rhythm.ending(n))
      report.Error(file, "Ending " + k + " lasts " + std::to_string(measures("Ending " + k)) +
                             " measures, the catalog says " + std::to_string(rhythm.ending(n)));
  }

  // Per section: the descriptions right after the marker, and the notes.
  std::vector<double> main_density(5, 0.0);
  for (const auto& s : sections) {
    bool chord_text = false;
    std::optional<Chord> source_chord;
    std::map<int, PartText> parts;
    for (const auto& m : track.metas) {
      if (m.tick != s.start || m.type != 0x01) continue;
      if (m.text.rfind("chord=", 0) == 0) {
        chord_text = true;
        if (!ValidChordText(m.text)) {
          report.Error(file, s.name + ": bad " + m.text);
        } else {
          std::istringstream words(m.text.substr(6));
          std::string root, type;
          words >> root >> type;
          source_chord = Chord{*ParsePitchClass(root), *ParseChordTypeName(type)};
        }
      } else if (m.text.rfind("part=", 0) == 0) {
        PartText part;
        if (!ParsePartText(m.text, part) || part.channel < 12 || part.channel > 16 ||
            part.low < 0 || part.high > 127 || part.low > part.high)
          report.Error(file, s.name + ": bad " + m.text);
        else if ((part.channel == 16) != (part.rule == "fixed"))
          report.Error(file, s.name + ": drums, and only drums, keep the fixed rule");
        else if (part.rule != "chord" && part.rule != "bass" && part.rule != "scale" &&
                 part.rule != "fixed")
          report.Error(file, s.name + ": unknown rule " + part.rule);
        parts[part.channel] = part;
      }
    }
    if (!chord_text) report.Error(file, s.name + ": no chord= text at its marker");
    std::map<int, int> onsets;
    std::set<std::pair<uint32_t, int>> seen;  // (tick, channel) of counted hits
    for (const auto& n : track.notes) {
      if (n.start < s.start || n.start >= s.end) continue;
      if (n.start + n.length > s.end)
        report.Error(file, s.name + ": a note sounds into the next section");
      if (n.channel < 12) {
        report.Error(file, s.name + ": note on channel " + std::to_string(n.channel));
        continue;
      }
      auto part = parts.find(n.channel);
      if (part == parts.end()) {
        report.Error(file, s.name + ": channel " + std::to_string(n.channel) +
                               " plays without a part= description");
        continue;
      }
      if (n.channel == 16 && (n.key < 35 || n.key > 81))
        report.Error(file, s.name + ": drum note " + std::to_string(n.key) +
                               " is not a General MIDI drum sound");
      // A chord-rule part is written in tones of the source chord; any other
      // note would be moved to one anyway.
      if (part->second.rule == "chord" && source_chord && !IsChordTone(*source_chord, n.key))
        report.Error(file, s.name + ": key " + std::to_string(n.key) + " of channel " +
                               std::to_string(n.channel) + " is not a tone of the source chord");
      if (n.channel != 16 && (n.key < part->second.low || n.key > part->second.high))
        report.Error(file, s.name + ": key " + std::to_string(n.key) + " outside its part's range");
      // Chord hits count once per part, not once per key.
      if (n.channel == 16 || seen.insert({n.start, n.channel}).second) ++onsets[n.channel];
    }
    for (const auto& [channel, part] : parts) {
      bool program = false;
      for (const auto& c : track.controls)
        if (c.tick == s.start && c.channel == channel && c.kind == 0xC0) program = true;
      if (!program)
        report.Error(file, s.name + ": part " + std::to_string(channel) +
                               " has no program change at its start");
      if (!onsets.count(channel))
        report.Error(file,
                     s.name + ": part " + std::to_string(channel) + " is described but silent");
    }
    if (!onsets.count(16)) report.Error(file, s.name + ": no drums");
    if (!onsets.count(15) && s.name.rfind("Main", 0) == 0) report.Error(file, s.name + ": no bass");
    if (s.name.rfind("Main ", 0) == 0 && s.name.size() == 6) {
      const int level = s.name[5] - '0';
      int total = 0;
      for (const auto& [channel, count] : onsets) total += count;
      if (level >= 1 && level <= 4)
        main_density[level] = static_cast<double>(total) / ((s.end - s.start) / measure);
    }
  }
  for (int level = 2; level <= 4; ++level)
    if (main_density[level] < main_density[level - 1])
      report.Error(file, "Main " + std::to_string(level) + " is sparser than Main " +
                             std::to_string(level - 1));
  if (main_density[4] <= main_density[1]) report.Error(file, "Main 4 is no busier than Main 1");
  LintPlaying(file, track, measure, sections, report);
}

namespace {

struct MoodPicture {
  std::map<int, std::set<int>> programs;
  std::map<int, long> key_sum, notes;
  long velocity_sum = 0;
  std::set<int> drum_keys;
};

MoodPicture PictureOf(const ReadTrack& track) {
  MoodPicture p;
  for (const auto& c : track.controls)
    if (c.kind == 0xC0) p.programs[c.channel].insert(c.number);
  for (const auto& n : track.notes) {
    p.key_sum[n.channel] += n.key;
    ++p.notes[n.channel];
    p.velocity_sum += n.velocity;
    if (n.channel == 16) p.drum_keys.insert(n.key);
  }
  return p;
}

}  // namespace

void LintMoodContrast(const std::string& file, const ReadTrack& bright, const ReadTrack& dark,
                      LintReport& report) {
  const MoodPicture b = PictureOf(bright), d = PictureOf(dark);
  bool register_moved = false, density_moved = false;
  for (const auto& [channel, count] : b.notes) {
    const auto other = d.notes.find(channel);
    if (other == d.notes.end() || other->second == 0) {
      density_moved = true;
      continue;
    }
    if (std::abs(other->second - count) * 100 >= 15 * count) density_moved = true;
    if (channel == 16) continue;
    const double mean_b = static_cast<double>(b.key_sum.at(channel)) / count;
    const double mean_d = static_cast<double>(d.key_sum.at(channel)) / other->second;
    if (std::abs(mean_b - mean_d) >= 2.0) register_moved = true;
  }
  long b_notes = 0, d_notes = 0;
  for (const auto& [channel, count] : b.notes) b_notes += count;
  for (const auto& [channel, count] : d.notes) d_notes += count;
  const bool level_moved = b_notes > 0 && d_notes > 0 &&
                           std::abs(static_cast<double>(b.velocity_sum) / b_notes -
                                    static_cast<double>(d.velocity_sum) / d_notes) >= 4.0;
  const int aspects = (b.programs != d.programs) + register_moved + density_moved + level_moved +
                      (b.drum_keys != d.drum_keys);
  if (aspects < 3)
    report.Error(file, "the dark variant differs from the bright one in only " +
                           std::to_string(aspects) +
                           " of programs, register, density, level, "
                           "drum instruments");
}

}  // namespace content
