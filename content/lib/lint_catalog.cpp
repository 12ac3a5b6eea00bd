#include "lint_catalog.h"

#include <sstream>

#include "source_text.h"

namespace content {
namespace {

bool ToNumber(const std::string& text, long& out) {
  if (text.empty()) return false;
  size_t used = 0;
  try {
    out = std::stol(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  return used == text.size();
}

std::vector<std::string> CatalogLines(const std::string& text, const char* file,
                                      LintReport& report) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find('\r') != std::string::npos) report.Error(file, "carriage return in a line");
    if (line.size() > 255) report.Error(file, "line longer than 255 characters: " + line);
    if (line.empty()) break;  // an empty line ends the catalog
    if (line[0] == ';') continue;
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::vector<CatalogRhythm> ReadRhythmCatalog(const std::string& text, LintReport& report,
                                             int* group_count) {
  const char* file = "QM3RHY.toc";
  std::vector<CatalogRhythm> rhythms;
  const auto lines = CatalogLines(text, file, report);
  *group_count = 0;
  for (size_t i = 0; i < lines.size();) {
    const auto header = SplitList(lines[i++], ',');
    long count = 0;
    if (header.size() != 2 || !ToNumber(header[1], count) || count < 1 || count > 255) {
      report.Error(file, "bad group header: " + lines[i - 1]);
      return rhythms;
    }
    ++*group_count;
    for (long r = 0; r < count; ++r, ++i) {
      if (i >= lines.size()) {
        report.Error(file, "group " + header[0] + " announces more rhythms than it has");
        return rhythms;
      }
      const auto tokens = SplitList(lines[i], ',');
      CatalogRhythm rhythm{header[0], tokens[0], {}};
      bool good = tokens.size() == 20;
      for (size_t t = 1; good && t < tokens.size(); ++t) {
        long value;
        good = ToNumber(tokens[t], value);
        rhythm.numbers.push_back(value);
      }
      if (!good) {
        report.Error(file, "a rhythm line needs a name and 19 numbers: " + lines[i]);
        continue;
      }
      rhythms.push_back(rhythm);
    }
  }
  return rhythms;
}

std::vector<CatalogMelody> ReadMelodyCatalog(const std::string& text, LintReport& report) {
  const char* file = "QM3MEL.toc";
  std::vector<CatalogMelody> melodies;
  for (const auto& line : CatalogLines(text, file, report)) {
    const auto tokens = SplitList(line, ',');
    CatalogMelody melody;
    melody.name = tokens[0];
    std::vector<long> numbers;
    bool good = tokens.size() >= 5;
    for (size_t t = 1; good && t < tokens.size(); ++t) {
      long value;
      good = ToNumber(tokens[t], value);
      numbers.push_back(value);
    }
    size_t at = 2;
    auto read_set = [&](std::vector<long>& set) {
      if (!good || at >= numbers.size()) {
        good = false;
        return;
      }
      const long count = numbers[at++];
      if (count < 0 || at + static_cast<size_t>(count) > numbers.size()) {
        good = false;
        return;
      }
      set.assign(numbers.begin() + static_cast<long>(at),
                 numbers.begin() + static_cast<long>(at) + count);
      at += static_cast<size_t>(count);
    };
    if (good) {
      melody.id = numbers[0];
      melody.beats = numbers[1];
    }
    read_set(melody.bright);
    read_set(melody.dark);
    if (!good || at != numbers.size()) {
      report.Error(file, "malformed melody line: " + line);
      continue;
    }
    melodies.push_back(melody);
  }
  return melodies;
}

}  // namespace content
