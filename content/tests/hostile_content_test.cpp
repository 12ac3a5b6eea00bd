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

}  // namespace
}  // namespace content
