// Draws piano-roll pictures of a generated library: a few melodies in both
// moods and every style of the bank with its dark variant.
// Usage: content_pictures <data dir> <picture dir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lint_catalog.h"
#include "piano_roll.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <data dir> <picture dir>\n", argv[0]);
    return 2;
  }
  const std::string data = argv[1], out = argv[2];
  int refused = 0;
  // A file that is there but cannot be drawn is named and skipped; the run
  // then fails. A file that is not there has nothing to draw.
  auto drawable = [&refused](const std::string& path, const content::SmfReadResult& read,
                             int beats) {
    if (!read.track && !std::filesystem::exists(path)) return false;
    std::string problem = read.track ? content::RollProblem(*read.track, beats) : read.error;
    if (problem.empty()) return true;
    std::fprintf(stderr, "error: %s: %s\n", path.c_str(), problem.c_str());
    ++refused;
    return false;
  };
  std::filesystem::create_directories(out);
  content::LintReport report;
  std::stringstream text;
  text << std::ifstream(data + "/QM3MEL.toc").rdbuf();
  for (const auto& m : content::ReadMelodyCatalog(text.str(), report)) {
    if (m.id % 5 != 0 && m.id != 10002) continue;
    for (const char* prefix : {"p", "mp"}) {
      char name[40];
      std::snprintf(name, sizeof name, "%s_%08ld", prefix, m.id);
      const std::string path = data + "/" + name + ".dat";
      auto read = content::ReadSmfFile(path);
      if (drawable(path, read, static_cast<int>(m.beats)))
        content::WritePng(out + "/" + name + ".png",
                          content::MelodyRoll(*read.track, static_cast<int>(m.beats)));
    }
  }
  std::stringstream rhythms;
  rhythms << std::ifstream(data + "/QM3RHY.toc").rdbuf();
  int groups = 0;
  for (const auto& r : content::ReadRhythmCatalog(rhythms.str(), report, &groups)) {
    char name[40];
    std::snprintf(name, sizeof name, "style_%03ld_%03ld", r.key_b(), r.key_c());
    for (const char* mood : {"", "dark"}) {
      const std::string folder = std::string("/styles/") + mood + (*mood ? "/" : "");
      const std::string path = data + folder + name + ".mid";
      auto read = content::ReadSmfFile(path);
      if (drawable(path, read, static_cast<int>(r.beats())))
        content::WritePng(out + "/" + name + (*mood ? "_dark" : "") + ".png",
                          content::StyleRoll(*read.track, static_cast<int>(r.beats())));
    }
  }
  return refused == 0 ? 0 : 1;
}
