// Content files as a hostile user may leave them: a device in place of a
// file, a track lasting days. Each is refused with a reason, never read
// without end or drawn into a picture of hundreds of gigabytes.
#include <gtest/gtest.h>

#include "piano_roll.h"
#include "smf_notes.h"
#include "smf_writer.h"

namespace content {
namespace {

TEST(HostileContent, DevicesAreNotReadAsFiles) {
  const SmfReadResult read = ReadSmfFile("/dev/zero");
  EXPECT_FALSE(read.track);
  EXPECT_NE(read.error.find("not a regular file"), std::string::npos) << read.error;
}

TEST(HostileContent, OnlyTracksAsLongAsASongAreDrawn) {
  TrackBuilder track;
  track.Note(0, 96, 1, 60, 80);
  track.EndAt(0x0FFFFFFF);  // the largest delta: about 93 hours at 120 bpm
  SmfReadResult read = ReadSmf(track.ToSmf());
  ASSERT_TRUE(read.track) << read.error;
  EXPECT_NE(RollProblem(*read.track, 4), "");
  read.track->end_tick = kLongestRollTicks;
  EXPECT_EQ(RollProblem(*read.track, 4), "");
  EXPECT_NE(RollProblem(*read.track, 0), "") << "measure lines need beats";
}

// A track of `longest_deltas` empty text events 0x0FFFFFFF ticks apart, with
// a note struck just before 2^31 ticks and released past 2^32.
std::vector<uint8_t> TrackPastThirtyTwoBits() {
  const std::vector<uint8_t> longest_delta = {0xFF, 0xFF, 0xFF, 0x7F};
  std::vector<uint8_t> body;
  auto text_after_longest_delta = [&] {
    body.insert(body.end(), longest_delta.begin(), longest_delta.end());
    body.insert(body.end(), {0xFF, 0x01, 0x00});
  };
  for (int i = 0; i < 7; ++i) text_after_longest_delta();
  body.insert(body.end(), longest_delta.begin(), longest_delta.end());
  body.insert(body.end(), {0x90, 60, 64});  // at 8 * 0x0FFFFFFF, below 2^31
  for (int i = 0; i < 9; ++i) text_after_longest_delta();
  body.insert(body.end(), {0x00, 0x80, 60, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0,  0,   0,   6,   0,
                               0,   0,   1,   0,   96, 'M', 'T', 'r', 'k'};
  const auto length = static_cast<uint32_t>(body.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    file.push_back(static_cast<uint8_t>(length >> shift));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

TEST(HostileContent, TracksPastThirtyTwoBitTicksAreRefusedNotWrapped) {
  const SmfReadResult read = ReadSmf(TrackPastThirtyTwoBits());
  EXPECT_FALSE(read.track) << "a note of " << read.track->notes.at(0).length << " ticks ending at "
                           << read.track->end_tick;
  EXPECT_NE(read.error.find("longer"), std::string::npos) << read.error;
}

}  // namespace
}  // namespace content
