// Measures how played the generated library sounds: per rhythm and part the
// distinct velocities, their range, how far notes sit off the grid, density
// and register, and what tells the bright and the dark mood apart.
// Usage: content_stats <data dir>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "lint_catalog.h"
#include "smf_notes.h"

namespace {

struct PartNumbers {
  std::set<int> velocities;
  long velocity_sum = 0;
  long notes = 0;
  long off_grid = 0;
  long offset_abs_sum = 0;
  int widest_offset = 0;
  long key_sum = 0;
  long main_onsets = 0;
  std::set<int> programs;
};

// Distance from the nearest sixteenth or triplet-eighth step.
int GridOffset(uint32_t tick) {
  auto off = [tick](uint32_t step) {
    const uint32_t grid = (tick + step / 2) / step * step;
    return static_cast<int>(tick) - static_cast<int>(grid);
  };
  const int a = off(24), b = off(32);
  return std::abs(a) <= std::abs(b) ? a : b;
}

std::map<int, PartNumbers> Measure(const content::ReadTrack& track, uint32_t measure,
                                   double* main_measures) {
  std::map<int, PartNumbers> parts;
  std::vector<std::pair<uint32_t, std::string>> markers;
  for (const auto& m : track.metas)
    if (m.type == 0x06) markers.emplace_back(m.tick, m.text);
  auto in_main = [&](uint32_t tick) {
    std::string name;
    for (const auto& [at, text] : markers)
      if (at <= tick) name = text;
    return markers.empty() || name.rfind("Main", 0) == 0;
  };
  std::set<std::pair<uint32_t, int>> hits;
  for (const auto& n : track.notes) {
    PartNumbers& p = parts[n.channel];
    p.velocities.insert(n.velocity);
    p.velocity_sum += n.velocity;
    ++p.notes;
    const int offset = GridOffset(n.start);
    p.off_grid += offset != 0;
    p.offset_abs_sum += std::abs(offset);
    p.widest_offset = std::max(p.widest_offset, std::abs(offset));
    p.key_sum += n.key;
    if (in_main(n.start) && (n.channel == 16 || hits.insert({n.start, n.channel}).second))
      ++p.main_onsets;
  }
  for (const auto& c : track.controls)
    if (c.kind == 0xC0) parts[c.channel].programs.insert(c.number);
  double main_ticks = 0;
  for (size_t i = 0; i < markers.size(); ++i) {
    if (markers[i].second.rfind("Main", 0) != 0) continue;
    const uint32_t end = i + 1 < markers.size() ? markers[i + 1].first : track.end_tick;
    main_ticks += end - markers[i].first;
  }
  if (markers.empty()) main_ticks = track.end_tick;
  *main_measures = main_ticks / measure;
  return parts;
}

void Print(const char* label, const std::map<int, PartNumbers>& parts, double measures) {
  for (const auto& [channel, p] : parts) {
    if (p.notes == 0) continue;
    std::string programs;
    for (int prog : p.programs) programs += (programs.empty() ? "" : ",") + std::to_string(prog);
    std::printf(
        "  %-6s ch%-2d vel %2zu distinct %3d..%-3d mean %5.1f | off-grid %3.0f%% mean "
        "|%.1f| max %2d | %5.2f onsets/measure | mean key %5.1f | programs %s\n",
        label, channel, p.velocities.size(), *p.velocities.begin(), *p.velocities.rbegin(),
        static_cast<double>(p.velocity_sum) / p.notes, 100.0 * p.off_grid / p.notes,
        static_cast<double>(p.offset_abs_sum) / p.notes, p.widest_offset,
        measures > 0 ? p.main_onsets / measures : 0.0, static_cast<double>(p.key_sum) / p.notes,
        programs.empty() ? "-" : programs.c_str());
  }
}

std::string Slurp(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data dir>\n", argv[0]);
    return 2;
  }
  const std::string data = argv[1];
  content::LintReport report;
  int groups = 0;
  const auto rhythms = content::ReadRhythmCatalog(Slurp(data + "/QM3RHY.toc"), report, &groups);
  for (const auto& r : rhythms) {
    const auto measure = static_cast<uint32_t>(r.beats() * 96);
    std::printf("%s / %s (tempo %ld)\n", r.group.c_str(), r.name.c_str(), r.tempo());
    char name[48];
    std::snprintf(name, sizeof name, "style_%03ld_%03ld.mid", r.key_b(), r.key_c());
    for (const char* folder : {"styles/", "styles/dark/"}) {
      auto read = content::ReadSmfFile(data + "/" + folder + name);
      if (!read.track) continue;
      double measures = 0;
      const auto parts = Measure(*read.track, measure, &measures);
      Print(std::string(folder).find("dark") != std::string::npos ? "dark" : "bright", parts,
            measures);
    }
    for (const char* prefix : {"p", "mp"}) {
      std::snprintf(name, sizeof name, "%s_%08ld.dat", prefix, r.melody());
      auto read = content::ReadSmfFile(data + "/" + name);
      if (!read.track) continue;
      double measures = 0;
      auto parts = Measure(*read.track, measure, &measures);
      parts.erase(11);  // the chords are a signal to the module, not played
      Print(prefix[0] == 'm' ? "mel-dk" : "mel-br", parts, measures);
    }
  }
  return 0;
}
