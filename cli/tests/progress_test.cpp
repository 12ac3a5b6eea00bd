// Progress on a pipe stays short; on a terminal it is one redrawn line.
#include "progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace sonavex::cli {
namespace {

// Runs `feed` against a progress display on a memory stream; returns the text.
template <typename Feed>
std::string Shown(ProgressStyle style, Feed feed) {
  char buffer[8192] = {};
  std::FILE* f = fmemopen(buffer, sizeof buffer - 1, "w");
  {
    Progress p("WAV", style, f);
    feed(p);
  }
  std::fclose(f);
  return buffer;
}

TEST(ProgressTest, LinesAtQuarterStepsAtMost) {
  const std::string every = Shown(ProgressStyle::kLines, [](Progress& p) {
    for (long i = 0; i <= 100; ++i) p.Update(i);
  });
  EXPECT_EQ(every, "WAV 25%\nWAV 50%\nWAV 75%\nWAV 100%\n");
  // Jumps print where they land, once per quarter reached; repeats nothing.
  const std::string jumps = Shown(ProgressStyle::kLines, [](Progress& p) {
    for (long i : {3L, 60L, 60L, 61L, 99L, 100L, 100L}) p.Update(i);
  });
  EXPECT_EQ(jumps, "WAV 60%\nWAV 99%\nWAV 100%\n");
  EXPECT_EQ(Shown(ProgressStyle::kLines, [](Progress& p) { p.Update(150, "end"); }),
            "WAV 100%  end\n");
}

TEST(ProgressTest, BarRedrawsOneLineAndQuietShowsNothing) {
  const std::string bar = Shown(ProgressStyle::kBar, [](Progress& p) {
    for (long i : {0L, 50L, 50L, 100L}) p.Update(i);
  });
  EXPECT_EQ(std::count(bar.begin(), bar.end(), '\r'), 3);  // the repeat is not redrawn
  EXPECT_EQ(std::count(bar.begin(), bar.end(), '\n'), 1);
  EXPECT_EQ(bar.back(), '\n');
  EXPECT_NE(bar.find("100%"), std::string::npos);
  EXPECT_EQ(Shown(ProgressStyle::kNone, [](Progress& p) { p.Update(100); }), "");
  EXPECT_EQ(StyleFor(true, stderr), ProgressStyle::kNone);
}

}  // namespace
}  // namespace sonavex::cli
