#include "core/time_format.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core_state.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/time_base.h"
#include "platform/sjis.h"

namespace qm3 {
namespace {

constexpr int32_t kLargestTime = 1079999;
constexpr int32_t kLargestTick = 383615;

std::string Format(int32_t mode, int32_t frames) {
  char text[kFormatTextSize];
  FormatTimeInMode(mode, frames, text);
  return text;
}

class TimeFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartMiddleware();
    WriteValue(kEditingMode, 0, false);
    WriteValue(kTimeBase, kTimeBase30, false);
    WriteValue(kTimeDisplayMode, kDisplayCode30, false);
    WriteValue(kRhythm, 0x7FFF0000, false);  // no such rhythm: 4 beats
    SetAccessedId(0);
  }
  void TearDown() override { DestroyMiddleware(); }
};

TEST_F(TimeFormatTest, EveryModeParsesBackWhatItFormatsOverTheWholeRange) {
  for (int32_t mode = 0; mode <= 6; ++mode) {
    for (int32_t v = 0; v <= kLargestTime; ++v) {
      const std::string text = Format(mode, v);
      ASSERT_EQ(ParseTimeInMode(mode, text.c_str()), v) << "mode " << mode << " text " << text;
    }
  }
}

TEST_F(TimeFormatTest, DropFrameNeverShowsFramesZeroOrOneOutsideTenthMinutes) {
  for (int32_t v = 0; v <= kLargestTime; ++v) {
    int h = 0, m = 0, s = 0, f = 0;
    const std::string text = Format(kDisplayCodeDrop, v);
    ASSERT_EQ(std::sscanf(text.c_str(), "%d;%d;%d;%d", &h, &m, &s, &f), 4) << text;
    ASSERT_LT(m, 60);
    ASSERT_LT(s, 60);
    ASSERT_LT(f, 30);
    if (s == 0 && m % 10 != 0) {
      ASSERT_GE(f, 2) << text;
    }
    // Consecutive frames show consecutive labels.
    if (v > 0) {
      const int32_t prev =
          ParseTimeInMode(kDisplayCodeDrop, Format(kDisplayCodeDrop, v - 1).c_str());
      ASSERT_EQ(prev + 1, v);
    }
  }
}

TEST_F(TimeFormatTest, KnownTexts) {
  EXPECT_EQ(Format(kDisplayCode30, 1079999), "9:59:59:29");
  EXPECT_EQ(Format(kDisplayCodeDrop, 1800), "0;01;00;02");
  EXPECT_EQ(Format(kDisplayCodeDrop, 1799), "0;00;59;29");
  EXPECT_EQ(Format(kDisplayCodeDrop, 17982), "0;10;00;00");
  EXPECT_EQ(Format(kDisplayCode24, 86400 + 1440 + 24 + 1), "1:01:01:01");
  EXPECT_EQ(Format(kDisplayCode25, 90000 * 2 + 25 * 61 + 24), "2:01:01:24");
  EXPECT_EQ(Format(kDisplayFeet16mm, 85), "      2+05");
  EXPECT_EQ(Format(kDisplayFeet35mm, 33), "      2+01");
  EXPECT_EQ(Format(kDisplayFrames, 42), "        42");
  // Values outside 0..6 show as 30 frame time code.
  EXPECT_EQ(Format(9, 1800), "0:01:00:00");
}

TEST_F(TimeFormatTest, TypedTextWithAndWithoutSeparators) {
  EXPECT_EQ(ParseTimeInMode(kDisplayCodeDrop, "0;01;00;02"), 1800);
  EXPECT_EQ(ParseTimeInMode(kDisplayCode30, "1000000"), 108000);
  EXPECT_EQ(ParseTimeInMode(kDisplayCode30, "0010203"), 30 * 62 + 3);
  EXPECT_EQ(ParseTimeInMode(kDisplayCode30, "12345678"), 2 * 108000 + 34 * 1800 + 56 * 30 + 78);
  EXPECT_EQ(ParseTimeInMode(kDisplayFrames, "1234"), 1234);
  EXPECT_EQ(ParseTimeInMode(kDisplayFeet16mm, "205"), 85);
  EXPECT_EQ(ParseTimeInMode(kDisplayFeet35mm, "2+1"), 33);
  // A fourth separator ends the scan; fields left of it are ignored.
  EXPECT_EQ(ParseTimeInMode(kDisplayCode30, "7:1:0:0:5"), 108000 + 5);
  EXPECT_EQ(ParseTimeInMode(kDisplayCode30, ""), 0);
  EXPECT_EQ(ParseTimeInMode(kDisplayCode30, nullptr), 0);
}

TEST_F(TimeFormatTest, EndlessDigitsSaturateInsteadOfOverflowing) {
  const std::string digits(400, '9');
  EXPECT_EQ(ParseTimeInMode(kDisplayFrames, digits.c_str()), INT32_MAX);
  EXPECT_EQ(ParseTimeInMode(kDisplayCode30, (digits + ":" + digits).c_str()), INT32_MAX);
  int32_t ticks = 0;
  ParseMeasureBeatTick((digits + ":1:" + digits).c_str(), &ticks);
  EXPECT_EQ(ticks, INT32_MAX);
  int32_t tempo = 0;
  ParseTempoHundredthBpm(digits.c_str(), &tempo);
  EXPECT_EQ(tempo, INT32_MAX);
}

TEST_F(TimeFormatTest, CurrentDisplayModeSelectsTheForm) {
  char text[kFormatTextSize];
  WriteValue(kTimeDisplayMode, kDisplayFeet16mm, false);
  FormatTimeCode(85, text);
  EXPECT_STREQ(text, "      2+05");
  int32_t v = 0;
  ParseTimeCode(text, &v);
  EXPECT_EQ(v, 85);
}

TEST_F(TimeFormatTest, MeasureBeatTickRoundTripsForEveryMetre) {
  char text[kFormatTextSize];
  FormatMeasureBeatTick(kLargestTick, text);
  EXPECT_STREQ(text, "999:4:95");
  FormatMeasureBeat(kLargestTick, text);
  EXPECT_STREQ(text, "999:4");
  for (int32_t beats : {2, 3, 4, 5, 7, 12}) {
    SetFileBeatsPerMeasure(beats);
    WriteValue(kEditingMode, 1, false);
    for (int32_t t = 0; t <= kLargestTick; ++t) {
      FormatMeasureBeatTick(t, text);
      int32_t back = -1;
      ParseMeasureBeatTick(text, &back);
      ASSERT_EQ(back, t) << beats << " " << text;
    }
  }
  SetFileBeatsPerMeasure(4);
}

TEST_F(TimeFormatTest, MeasureTextWithoutSeparatorsAndZeroFields) {
  int32_t t = -1;
  ParseMeasureBeatTick("002395", &t);  // measure 2, beat 3, tick 95
  EXPECT_EQ(t, (4 + 2) * 96 + 95);
  ParseMeasureBeatTick("0:0:5", &t);  // measure and beat 0 count as 1
  EXPECT_EQ(t, 5);
  ParseMeasureBeatTick("9:9:9:3:2:1", &t);  // a third separator ends the scan
  EXPECT_EQ(t, (2 * 4 + 1) * 96 + 1);
}

TEST_F(TimeFormatTest, TempoViewFollowsTheIdentifierAccessed) {
  char text[kFormatTextSize];
  int32_t v = 0;
  SetAccessedId(0x0409);
  FormatTempo(120, text);
  EXPECT_STREQ(text, "120");
  ParseTempo("125.5", &v);
  EXPECT_EQ(v, 126);
  ParseTempo("125.4", &v);
  EXPECT_EQ(v, 125);
  SetAccessedId(0x050A);
  FormatTempo(12550, text);
  EXPECT_STREQ(text, "125.50");
  FormatTempo(4005, text);
  EXPECT_STREQ(text, " 40.05");
  ParseTempo("125.555", &v);
  EXPECT_EQ(v, 12556);
  SetAccessedId(0x070A);
  ParseTempo(" 99.9", &v);
  EXPECT_EQ(v, 9990);
}

TEST_F(TimeFormatTest, PanAndLabels) {
  using platform::Utf8ToSjis;
  char text[kFormatTextSize];
  const std::pair<int32_t, std::string> pans[] = {{0, Utf8ToSjis("左64")},
                                                  {63, Utf8ToSjis("左 1")},
                                                  {64, Utf8ToSjis("中央")},
                                                  {65, Utf8ToSjis("右 1")},
                                                  {127, Utf8ToSjis("右63")},
                                                  {128, "----"},
                                                  {-1, "----"}};
  for (const auto& [pan, expected] : pans) {
    FormatPan(pan, text);
    EXPECT_EQ(text, expected) << pan;
  }
  FormatTimeDisplayLabel(2, text);
  EXPECT_EQ(text, Utf8ToSjis("時;分;秒;ﾌﾚｰﾑ"));
  FormatTimeDisplayLabel(6, text);
  EXPECT_EQ(text, Utf8ToSjis("ﾌｨｰﾄ+ﾌﾚｰﾑ"));
  FormatTimeDisplayLabel(7, text);
  EXPECT_STREQ(text, "");
}

}  // namespace
}  // namespace qm3
