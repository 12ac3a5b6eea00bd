#include "source_text.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace content {

void SourceLine::Fail(const std::string& why) const {
  throw SourceError(Where() + ": " + why);
}

std::vector<SourceLine> SplitSourceText(const std::string& text, const std::string& name) {
  std::vector<SourceLine> lines;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    SourceLine line{name, number, 0, {}};
    while (line.indent < static_cast<int>(raw.size()) &&
           (raw[line.indent] == ' ' || raw[line.indent] == '\t'))
      ++line.indent;
    std::string token;
    bool quoted = false;
    bool had_quotes = false;
    for (size_t i = 0; i < raw.size(); ++i) {
      const char c = raw[i];
      if (c == '"') {
        quoted = !quoted;
        had_quotes = true;
        continue;
      }
      // '#' opens a comment at the start of a word; inside one it is a sharp ("F#2").
      if (!quoted && c == '#' && token.empty() && !had_quotes) break;
      if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
        if (!token.empty() || had_quotes) line.tokens.push_back(token);
        token.clear();
        had_quotes = false;
        continue;
      }
      token += c;
    }
    if (quoted) line.Fail("unclosed quote");
    if (!token.empty() || had_quotes) line.tokens.push_back(token);
    if (!line.tokens.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<SourceLine> ReadSourceLines(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw SourceError(path + ": cannot open");
  std::stringstream text;
  text << file.rdbuf();
  return SplitSourceText(text.str(), path);
}

std::map<std::string, std::string> OptionsOf(const SourceLine& line, size_t from) {
  std::map<std::string, std::string> options;
  for (size_t i = from; i < line.tokens.size(); ++i) {
    const auto eq = line.tokens[i].find('=');
    if (eq == std::string::npos || eq == 0) line.Fail("expected key=value, got " + line.tokens[i]);
    options[line.tokens[i].substr(0, eq)] = line.tokens[i].substr(eq + 1);
  }
  return options;
}

int ParseInt(const SourceLine& line, const std::string& text) {
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    line.Fail("not a number: " + text);
  }
  if (used != text.size()) line.Fail("not a number: " + text);
  return value;
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

}  // namespace content
