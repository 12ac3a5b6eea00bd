#include <gtest/gtest.h>

#include <climits>

#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/time_base.h"

namespace qm3 {
namespace {

constexpr ControlId kMethod = 0x0503;
constexpr ControlId kT1 = 0x0506;
constexpr ControlId kP1 = 0x0507;
constexpr ControlId kT2 = 0x0508;
constexpr ControlId kP2 = 0x0509;
constexpr ControlId kTempoView = 0x050A;
constexpr int32_t kMeasure = 384;  // 4/4: two seconds, 60 frames at 120 BPM

// A 20-measure song at 120 BPM, 30 fps, starting at frame 300; sync point 1 at
// measure 2, sync point 2 at measure 6, both where they play.
class TimeSyncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartMiddleware();
    WriteValue(kEditingMode, 0, false);
    WriteValue(kRhythm, 0x7FFF0000, false);  // no such rhythm: 4 beats
    WriteValue(kTimeBase, kTimeBase30, false);
    for (ControlId id : {kStartTime, kEndTime, kT1, kT2}) WriteRange(id, 0, 1079999);
    for (ControlId id : {kP1, kP2, kSongLength}) WriteRange(id, 0, 383615);
    WriteRange(kTempo, 400000, 3000000);
    WriteValue(kTempo, 1200000, false);
    WriteValue(kSongLength, 20 * kMeasure, false);
    WriteValue(kStartTime, 300, false);
    WriteValue(kEndTime, 1500, false);
    WriteValue(kP1, kMeasure, false);
    WriteValue(kT1, 360, false);
    WriteValue(kP2, 5 * kMeasure, false);
    WriteValue(kT2, 600, false);
    WriteValue(kMethod, 0);
  }
  void TearDown() override { DestroyMiddleware(); }

  // Where a position plays now.
  int32_t PlaysAt(int32_t ticks) { return TickToTime(ticks); }
};

TEST_F(TimeSyncTest, MethodEnablesItsFields) {
  EXPECT_TRUE(ReadAlive(kT2));
  EXPECT_TRUE(ReadAlive(kP2));
  EXPECT_FALSE(ReadAlive(kTempo));
  EXPECT_EQ(ReadValue(0x431F), 1);
  EXPECT_EQ(ReadValue(0x4320), 0);
  WriteValue(kMethod, 1);
  EXPECT_TRUE(ReadAlive(kT1));
  EXPECT_TRUE(ReadAlive(kP1));
  EXPECT_FALSE(ReadAlive(kT2));
  EXPECT_FALSE(ReadAlive(kP2));
  EXPECT_TRUE(ReadAlive(kTempo));
  EXPECT_TRUE(ReadAlive(0x040A));
  EXPECT_EQ(ReadValue(0x431F), 0);
  EXPECT_EQ(ReadValue(0x4320), 1);
}

TEST_F(TimeSyncTest, MenuItemsChooseTheMethod) {
  ASSERT_EQ(WriteValue(0x4320, 1), 0);
  EXPECT_EQ(ReadValue(kMethod), 1);
  EXPECT_TRUE(ReadAlive(kTempo));
  EXPECT_EQ(ReadValue(0x431F), 0);
  EXPECT_EQ(ReadValue(0x4320), 1);
  // Choosing the item already chosen changes nothing.
  ASSERT_EQ(WriteValue(0x4320, 1), 0);
  EXPECT_EQ(ReadValue(kMethod), 1);
  ASSERT_EQ(WriteValue(0x431F, 1), 0);
  EXPECT_EQ(ReadValue(kMethod), 0);
  EXPECT_FALSE(ReadAlive(kTempo));
  EXPECT_EQ(ReadValue(0x431F), 1);
  EXPECT_EQ(ReadValue(0x4320), 0);
}

TEST_F(TimeSyncTest, SecondPointSetsTheTempoAndBothPointsPlayOnTime) {
  WriteValue(kT2, 660);  // the four measures now last 300 frames
  EXPECT_EQ(ReadValue(kTempo), 960000);
  EXPECT_EQ(PlaysAt(ReadValue(kP1)), 360);
  EXPECT_EQ(PlaysAt(ReadValue(kP2)), 660);
  EXPECT_EQ(ReadValue(kEndTime) - ReadValue(kStartTime), 1200);  // length unchanged
  WriteValue(kP2, 3 * kMeasure);
  EXPECT_EQ(ReadValue(kTempo), 480000);
  EXPECT_EQ(PlaysAt(ReadValue(kP1)), 360);
  EXPECT_EQ(PlaysAt(ReadValue(kP2)), 660);
}

TEST_F(TimeSyncTest, TempoOutsideItsRangeStays) {
  WriteValue(kT2, 361);  // would need 240 x the tempo
  EXPECT_EQ(ReadValue(kTempo), 1200000);
  WriteValue(kT2, 360);  // same time as point 1: no tempo at all
  EXPECT_EQ(ReadValue(kTempo), 1200000);
  WriteValue(kT2, 0);  // before point 1: negative tempo
  EXPECT_EQ(ReadValue(kTempo), 1200000);
}

TEST_F(TimeSyncTest, FirstPointTimeMovesTheSong) {
  WriteValue(kMethod, 1);
  WriteValue(kT1, 390);
  EXPECT_EQ(ReadValue(kStartTime), 330);
  EXPECT_EQ(ReadValue(kEndTime), 1530);
  EXPECT_EQ(ReadValue(kT2), 630);  // sync point 2 follows in method 1
  WriteValue(kP1, 2 * kMeasure);   // P1 moves: the song moves under T1
  EXPECT_EQ(ReadValue(kStartTime), 270);
  EXPECT_EQ(PlaysAt(2 * kMeasure), 390);
}

TEST_F(TimeSyncTest, DirectTempoKeepsPointOneInPlace) {
  WriteValue(kMethod, 1);
  WriteValue(kTempo, 600000, false);
  WriteValue(kTempoView, ReadValue(kTempoView));  // run the reaction
  EXPECT_EQ(ReadValue(kStartTime), 240);
  EXPECT_EQ(PlaysAt(kMeasure), 360);
  EXPECT_EQ(ReadValue(kT2), PlaysAt(5 * kMeasure));
}

TEST_F(TimeSyncTest, SpacingKeepsOneMeasureBetweenThePoints) {
  WriteValue(kMethod, 1);
  // Room before the song, so that the start time can follow every move.
  WriteValue(kStartTime, 1440, false);
  WriteValue(kT1, 1500, false);
  WriteValue(kP1, 5 * kMeasure);
  EXPECT_EQ(ReadValue(kP2), 6 * kMeasure);
  WriteValue(kP1, 20 * kMeasure - 10);  // past the song's end: both pushed back
  EXPECT_EQ(ReadValue(kP2), 20 * kMeasure);
  EXPECT_EQ(ReadValue(kP1), 19 * kMeasure);
  WriteValue(kP2, 100);  // before point 1: point 1 pushed to the start
  EXPECT_EQ(ReadValue(kP1), 0);
  EXPECT_EQ(ReadValue(kP2), kMeasure);
}

TEST_F(TimeSyncTest, StartTimeNeverFallsBelowZero) {
  WriteValue(kMethod, 1);
  WriteValue(kT1, 30);  // P1 would need the song to start at -30
  EXPECT_EQ(ReadValue(kStartTime), 0);
  EXPECT_EQ(ReadValue(kEndTime), 1200);
  EXPECT_EQ(ReadValue(kP1), 192);  // the position that plays at T1
  EXPECT_EQ(PlaysAt(ReadValue(kP1)), 30);
}

TEST_F(TimeSyncTest, EndTimeNeverPassesItsMaximum) {
  WriteValue(kMethod, 1);
  WriteValue(kStartTime, 1078000, false);
  WriteValue(kEndTime, 1079200, false);
  WriteValue(kT1, 1078060, false);
  WriteValue(kT1, 1079000);  // the song could move 799 frames at most
  EXPECT_EQ(ReadValue(kEndTime), 1079999);
  EXPECT_EQ(ReadValue(kStartTime), 1078799);
  EXPECT_EQ(ReadValue(kP1), TimeToTick(1079000));
  EXPECT_GE(ReadValue(kP2) - ReadValue(kP1), kMeasure);
}

// A host may widen the records' ranges to the whole int range: the points'
// spacing, the tempo from two points and the song's move stay defined
// (sanitizer builds stop on a signed overflow here).
TEST_F(TimeSyncTest, ExtremeValuesInWidenedRangesStayDefined) {
  for (ControlId id : {kStartTime, kEndTime, kT1, kT2, kP1, kP2, kSongLength}) {
    WriteRange(id, INT_MIN, INT_MAX);
  }
  WriteValue(kSongLength, INT_MAX, false);
  WriteValue(kP1, INT_MAX);
  EXPECT_EQ(ReadValue(kP2), INT_MAX);
  WriteValue(kP2, INT_MIN);
  EXPECT_GE(static_cast<int64_t>(ReadValue(kP2)) - ReadValue(kP1), kMeasure);
  WriteValue(kT1, INT_MIN);
  WriteValue(kT2, INT_MAX);
  WriteValue(kMethod, 1);
  WriteValue(kT1, INT_MAX);
  EXPECT_GE(ReadValue(kTempo), 400000);
  EXPECT_LE(ReadValue(kTempo), 3000000);
}

}  // namespace
}  // namespace qm3
