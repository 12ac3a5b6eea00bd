// Progress of long work on stderr: a bar redrawn in place on a terminal;
// on a pipe or file at most one line per quarter (25, 50, 75, 100 %), so
// logs stay short; nothing when quiet.
//
// Thread rules: main thread; one display at a time per stream.
#pragma once
#include <cstdio>
#include <string>

namespace sonavex::cli {

enum class ProgressStyle { kBar, kLines, kNone };

// The style for `stream`: none when quiet, a bar on a terminal, else lines.
ProgressStyle StyleFor(bool quiet, std::FILE* stream);

class Progress {
 public:
  Progress(std::string what, ProgressStyle style, std::FILE* stream = stderr);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Shows `percent` (0..100) with an optional text after it.
  void Update(long percent, const std::string& text = "");
  // Ends the display (a bar's line is closed); also done on destruction.
  void Finish();

 private:
  std::string what_;
  ProgressStyle style_;
  std::FILE* stream_;
  long shown_ = -1;   // the percent last drawn
  int quarters_ = 0;  // quarters already written as lines
  bool open_line_ = false;
};

}  // namespace sonavex::cli
