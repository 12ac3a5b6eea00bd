#include "core/time_base.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/middle_internal.h"
#include "core/middleware.h"

namespace qm3 {
namespace {

long Process(int process, long a) {
  long b = -12345;
  RunProcess(process, &a, &b);
  return b;
}

class TimeBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartMiddleware();
    WriteRange(kStartTime, 0, 1079999);
    WriteValue(kEditingMode, 0, false);
    WriteValue(kTimeBase, kTimeBase30, false);
    WriteValue(kTimeDisplayMode, kDisplayCode30, false);
    WriteValue(kTempo, 1200000, false);
    WriteValue(kStartTime, 0, false);
    WriteValue(kRhythm, 0x7FFF0000, false);  // no such rhythm: 4 beats
    ClearTempoMap();
    SetFileBeatsPerMeasure(4);
  }
  void TearDown() override {
    DestroyMiddleware();
    ClearTempoMap();
    WriteValue(kEditingMode, 0, false);
  }
};

TEST_F(TimeBaseTest, MeasureProcesses) {
  EXPECT_EQ(Process(4, 383), 0);
  EXPECT_EQ(Process(4, 384), 1);
  EXPECT_EQ(Process(5, 3), 3 * 384);
  EXPECT_EQ(Process(36, 384 * 5 + 17), 17);
  WriteValue(kEditingMode, 1, false);
  SetFileBeatsPerMeasure(3);
  EXPECT_EQ(Process(4, 288 * 7), 7);
  EXPECT_EQ(Process(36, 288 * 7 + 95), 95);
  // A file without a metre must not divide by zero.
  SetFileBeatsPerMeasure(0);
  EXPECT_EQ(Process(4, 384), 1);
  EXPECT_EQ(Process(5, INT32_MAX), INT32_MAX);
}

TEST_F(TimeBaseTest, TicksAndFramesAtTheSongTempo) {
  // 120 BPM at 30 fps: one beat is half a second, 15 frames.
  EXPECT_EQ(Process(14, 96), 15);
  EXPECT_EQ(Process(15, 15), 96);
  WriteValue(kStartTime, 100, false);
  EXPECT_EQ(Process(14, 96), 115);
  EXPECT_EQ(Process(15, 115), 96);
  EXPECT_EQ(Process(15, 0), -640);  // before the start time: negative ticks, rounded
  WriteValue(kTimeBase, kTimeBase25, false);
  WriteValue(kTempo, 600000, false);  // 60 BPM: a beat is one second
  WriteValue(kStartTime, 0, false);
  EXPECT_EQ(Process(14, 96 * 3), 75);
  EXPECT_EQ(Process(15, 75), 96 * 3);
}

TEST_F(TimeBaseTest, ConversionsInvertEachOtherAtEveryTimeBase) {
  for (int32_t base = 0; base <= 3; ++base) {
    WriteValue(kTimeBase, base, false);
    for (int32_t tempo : {400000, 1200000, 1333333, 3000000}) {
      WriteValue(kTempo, tempo, false);
      for (int32_t t = 0; t < 383615; t += 977)
        ASSERT_NEAR(FramesToTicks(TicksToFrames(t)), t, 1e-6) << base << " " << tempo;
    }
  }
}

TEST_F(TimeBaseTest, MajorUnitsByDisplayMode) {
  WriteValue(kTempo, 600000, false);  // 96 ticks = 1 s = 30 frames
  WriteValue(kTimeDisplayMode, kDisplayCode30, false);
  EXPECT_EQ(Process(6, 96 * 90), 90);
  EXPECT_EQ(Process(7, 90), 96 * 90);
  WriteValue(kTimeDisplayMode, kDisplayFeet16mm, false);
  EXPECT_EQ(Process(6, 96 * 4), 3);  // 120 frames = 3 feet
  EXPECT_EQ(Process(7, 3), 96 * 4);
  WriteValue(kTimeDisplayMode, kDisplayFrames, false);
  WriteValue(kTimeBase, kTimeBase24, false);
  EXPECT_EQ(Process(6, 96 * 10), 10);
  EXPECT_EQ(Process(7, 10), 960);
}

TEST_F(TimeBaseTest, DropFrameSecondsMatchTheTimeCode) {
  WriteValue(kTimeDisplayMode, kDisplayCodeDrop, false);
  WriteValue(kTempo, 600000, false);  // one tick = 30/96 frame
  // Process 7 gives the tick of the first frame of a second; process 6 takes
  // it back to the same second.
  for (long s = 0; s < 36000; s += 7) {
    const long tick = Process(7, s);
    ASSERT_EQ(Process(6, tick), s) << s;
  }
  EXPECT_EQ(Process(7, 60), RoundToInt32(1800 * 96 / 30.0));
  EXPECT_EQ(Process(7, 600), RoundToInt32(17982 * 96 / 30.0));
}

TEST_F(TimeBaseTest, TempoMapPlacesTicksPiecewiseAndStretchesWithTheTempo) {
  WriteValue(kEditingMode, 1, false);
  // 120 BPM from tick 0, 60 BPM from tick 960 (10 beats = 150 frames).
  const std::vector<TempoMapEntry> map = {{1200000, 0, 0.0}, {600000, 960, 150.0}};
  SetTempoMap(map.data(), map.size());
  EXPECT_DOUBLE_EQ(TicksToFrames(960), 150.0);
  EXPECT_DOUBLE_EQ(TicksToFrames(960 + 96), 180.0);
  EXPECT_DOUBLE_EQ(FramesToTicks(180.0), 1056.0);
  EXPECT_DOUBLE_EQ(FramesToTicks(75.0), 480.0);
  // Doubling the tempo value plays the whole file twice as fast.
  WriteValue(kTempo, 2400000, false);
  EXPECT_DOUBLE_EQ(TicksToFrames(960 + 96), 90.0);
  EXPECT_DOUBLE_EQ(FramesToTicks(90.0), 1056.0);
  // Song mode ignores a file's map.
  WriteValue(kEditingMode, 0, false);
  EXPECT_DOUBLE_EQ(TicksToFrames(96), 7.5);
}

TEST_F(TimeBaseTest, TempoMapStartingLateUsesTheDefaultTempoBefore) {
  WriteValue(kEditingMode, 1, false);
  const std::vector<TempoMapEntry> map = {{600000, 192, 30.0}};
  SetTempoMap(map.data(), map.size());
  WriteValue(kTempo, 600000, false);
  EXPECT_DOUBLE_EQ(TicksToFrames(96), 15.0);  // 120 BPM before the first entry
  EXPECT_DOUBLE_EQ(FramesToTicks(15.0), 96.0);
  EXPECT_DOUBLE_EQ(TicksToFrames(192 + 96), 60.0);
  EXPECT_DOUBLE_EQ(FramesToTicks(60.0), 288.0);
}

TEST_F(TimeBaseTest, ZeroTemposNeverDivideByZero) {
  WriteRange(kTempo, INT32_MIN, INT32_MAX);
  WriteValue(kTempo, 0, false);
  EXPECT_DOUBLE_EQ(TicksToFrames(96), 15.0);
  WriteValue(kEditingMode, 1, false);
  const std::vector<TempoMapEntry> map = {{0, 0, 0.0}};
  SetTempoMap(map.data(), map.size());
  EXPECT_DOUBLE_EQ(TicksToFrames(96), 15.0);
  EXPECT_DOUBLE_EQ(FramesToTicks(15.0), 96.0);
}

TEST_F(TimeBaseTest, RoundingIsHalfUpAndSaturates) {
  EXPECT_EQ(RoundToInt32(2.5), 3);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(-2.6), -3);
  EXPECT_EQ(RoundToInt32(1e20), INT32_MAX);
  EXPECT_EQ(RoundToInt32(-1e20), INT32_MIN);
}

}  // namespace
}  // namespace qm3
