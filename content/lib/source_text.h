// Line and token reading for the human-written content sources: '#' opens a
// comment at the start of a word, tokens are separated by blanks, "double quotes" group a name, and
// key=value tokens carry options. Errors name the file and line.
// Plain functions; no locking, no threads.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace content {

class SourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SourceLine {
  std::string file;
  int number = 0;
  int indent = 0;  // leading blanks
  std::vector<std::string> tokens;
  std::string Where() const { return file + ":" + std::to_string(number); }
  [[noreturn]] void Fail(const std::string& why) const;
};

// Reads a source file into its non-empty lines (comments removed).
std::vector<SourceLine> ReadSourceLines(const std::string& path);
std::vector<SourceLine> SplitSourceText(const std::string& text, const std::string& name);

// Options of the form key=value among the tokens from index `from` on.
std::map<std::string, std::string> OptionsOf(const SourceLine& line, size_t from);
int ParseInt(const SourceLine& line, const std::string& text);
std::vector<std::string> SplitList(const std::string& text, char separator);

}  // namespace content
