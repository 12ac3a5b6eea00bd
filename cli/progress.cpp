#include "progress.h"

#include <unistd.h>

#include <algorithm>

namespace sonavex::cli {

ProgressStyle StyleFor(bool quiet, std::FILE* stream) {
  if (quiet) return ProgressStyle::kNone;
  return ::isatty(::fileno(stream)) != 0 ? ProgressStyle::kBar : ProgressStyle::kLines;
}

Progress::Progress(std::string what, ProgressStyle style, std::FILE* stream)
    : what_(std::move(what)), style_(style), stream_(stream) {}

Progress::~Progress() {
  Finish();
}

void Progress::Update(long percent, const std::string& text) {
  percent = std::clamp(percent, 0L, 100L);
  const std::string tail = text.empty() ? "" : "  " + text;
  if (style_ == ProgressStyle::kBar) {
    if (percent == shown_ && tail.empty()) return;
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(percent * kWidth / 100);
    std::fprintf(stream_, "\r%-4s [%.*s%*s] %3ld%%%s", what_.c_str(), filled,
                 "########################################", kWidth - filled, "", percent,
                 tail.c_str());
    open_line_ = true;
  } else if (style_ == ProgressStyle::kLines) {
    const int quarter = static_cast<int>(percent / 25);
    if (quarter <= quarters_) return;
    quarters_ = quarter;
    std::fprintf(stream_, "%s %ld%%%s\n", what_.c_str(), percent, tail.c_str());
  }
  shown_ = percent;
  std::fflush(stream_);
}

void Progress::Finish() {
  if (open_line_) {
    std::fputc('\n', stream_);
    std::fflush(stream_);
    open_line_ = false;
  }
}

}  // namespace sonavex::cli
