// Notifications: redraw order, the pointer and its range handshake, and the
// flow control that paces pointer notifications during playback.
#include <algorithm>

#include "core/device_handover.h"
#include "core/pointer.h"
#include "core_test_host.h"

namespace qm3 {
namespace {

class NotifyTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    WriteRange(kPointerTicks, 0, 383615);
  }

  int Count(const std::vector<Posted>& posted, Posted what) {
    return static_cast<int>(std::count(posted.begin(), posted.end(), what));
  }

  // The host's answer to 0x8003: read the pointer, then its display value.
  void Acknowledge(ControlId display = kPointerTicks) {
    long a = 0;
    long b = 0;
    QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
    QM3GetValue(display, 0, &a, &b);
  }
};

TEST_F(NotifyTest, NoHostWindowPostsNothing) {
  BindHost(0, 0);
  Notify(kMainVolume, kNotifyValue);
  BindHost(hwnd_, message_);
  EXPECT_TRUE(Drain().empty());
  Notify(kMainVolume, kNotifyText);
  EXPECT_EQ(Drain(), (std::vector<Posted>{{kMainVolume, kNotifyText}}));
}

TEST_F(NotifyTest, RedrawPostsTransportFirstThenTheScreenByMode) {
  SetCurrentScreen(kScreenSmfEdit);
  ASSERT_EQ(QM3SetValue(kEditingMode, 0, 1, 0), 0);
  std::vector<Posted> posted = Drain();
  ASSERT_GE(posted.size(), 3u);
  const std::vector<Posted> tail(posted.end() - 3, posted.end());
  EXPECT_EQ(tail, (std::vector<Posted>{{kTransportScreenId, kNotifyRedraw},
                                       {ScreenId(7), kNotifyRedraw},
                                       {kSmfPartPane, kNotifyRedraw}}));

  SetCurrentScreen(kScreenSongEdit);
  WriteValue(kEditingMode, 0, false);
  Drain();
  RedrawScreen();
  EXPECT_EQ(Drain(), (std::vector<Posted>{{kTransportScreenId, kNotifyRedraw},
                                          {ScreenId(5), kNotifyRedraw},
                                          {kSongTimeLinePane, kNotifyRedraw}}));
  SetCurrentScreen(kScreenTimeBase);
  RedrawScreen();
  EXPECT_EQ(Drain(), (std::vector<Posted>{{kTransportScreenId, kNotifyRedraw},
                                          {ScreenId(9), kNotifyRedraw}}));
}

TEST_F(NotifyTest, FadeOutEnablesItsLengthAndRedraws) {
  SetCurrentScreen(kScreenPlayTime);
  ASSERT_EQ(QM3SetValue(kFadeOut, 0, 1, 0), 0);
  EXPECT_TRUE(ReadAlive(kFadeOutSeconds));
  EXPECT_EQ(Drain(), (std::vector<Posted>{{kTransportScreenId, kNotifyRedraw},
                                          {ScreenId(3), kNotifyRedraw}}));
  ASSERT_EQ(QM3SetValue(kEditFadeOut, 0, 0, 0), 0);  // the edit screen's name
  EXPECT_FALSE(ReadAlive(kFadeOutSeconds));
}

TEST_F(NotifyTest, PointerWriteStoresAndNotifies) {
  WriteValue(kEditingMode, 1, false);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 480, 0), 0);
  EXPECT_EQ(ReadValue(kPointerTicks), 480);
  EXPECT_EQ(Drain(), (std::vector<Posted>{{0x8003, kNotifyValue},
                                          {kPartPointerTime, kNotifyValue},
                                          {kPartPointerTicks, kNotifyValue}}));
  // Outside the pointer's range: no effect.
  WriteRange(kPointerTicks, 0, 960);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 961, 0), 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 100, 2000), 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, -1, 0), 0);
  EXPECT_EQ(ReadValue(kPointerTicks), 480);
  // While playing the host cannot move it.
  SetPlaying(true);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 96, 0), 0);
  EXPECT_EQ(ReadValue(kPointerTicks), 480);
  SetPlaying(false);
}

TEST_F(NotifyTest, SongModePointerSelectsThePhraseUnderIt) {
  std::vector<SongPhrase> phrases(3);
  phrases[0].length = 4;
  phrases[0].kind = kPhraseIntro;
  phrases[1].length = 8;
  phrases[1].variation = 2;
  phrases[1].fill_in = kFillIn2;
  phrases[1].parts = kAllButMelody;
  phrases[2].length = 4;
  phrases[2].kind = kPhraseEnding;
  ReplaceSongPhrases(phrases);
  SetCurrentScreen(kScreenSongEdit);
  Drain();

  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 4 * 96, 0), 0);
  EXPECT_EQ(Get(ProcessId(kProcGetSelectPhrase)), 1);
  EXPECT_EQ(ReadValue(kPhraseVariation), 2);
  EXPECT_EQ(ReadValue(kPhraseFillIn), kFillIn2);
  EXPECT_EQ(ReadValue(kPhraseMelody), 0);
  EXPECT_EQ(ReadValue(kPhraseBass), 1);
  EXPECT_TRUE(ReadAlive(kPhraseVariation));
  std::vector<Posted> posted = Drain();
  EXPECT_EQ(Count(posted, {0x8002, kNotifyValue}), 1);
  EXPECT_EQ(posted.back(), (Posted{kSongTimeLinePane, kNotifyRedraw}));

  // Same phrase again: no new selection.
  QM3SetValue(ProcessId(kProcPointerPos), 0, 5 * 96, 0);
  EXPECT_EQ(Count(Drain(), {0x8002, kNotifyValue}), 0);
  // The very end selects the last phrase.
  QM3SetValue(ProcessId(kProcPointerPos), 0, 16 * 96, 0);
  EXPECT_EQ(Get(ProcessId(kProcGetSelectPhrase)), 2);
  EXPECT_FALSE(ReadAlive(kPhraseVariation));
}

TEST_F(NotifyTest, RangeArrivesByHandshake) {
  QM3SetValue(ProcessId(kProcPointerPos), 0, 96, 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 960, 192), 0);
  SelectedRange r = ReadSelectedRange();
  EXPECT_EQ(r.start_ticks, 192);
  EXPECT_EQ(r.end_ticks, 960);
  Drain();

  long a = 0;
  long b = -1;
  QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
  EXPECT_EQ(a, 96);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(Drain(), (std::vector<Posted>{{0x8003, kNotifyValue}}));
  QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
  EXPECT_EQ(a, 192);
  EXPECT_EQ(b, 960);
  QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
  EXPECT_EQ(a, 96);
  EXPECT_EQ(b, 0);
  EXPECT_TRUE(Drain().empty());

  // The same range again is no change; an empty range reads as the pointer.
  QM3SetValue(ProcessId(kProcPointerPos), 0, 192, 960);
  QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
  EXPECT_TRUE(Drain().empty());
  QM3SetValue(ProcessId(kProcPointerPos), 0, 300, 300);
  QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
  QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
  EXPECT_EQ(a, 96);
  EXPECT_EQ(b, 96);
}

// The play thread's pointer step, and the host's next call that moves the
// pointer it handed over.
void Follow(int32_t ticks) {
  FollowPlaybackPosition(ticks);
  RunPostedWork();
}

TEST_F(NotifyTest, PlaybackPointerWaitsForTheHostsAcknowledgement) {
  WriteValue(kEditingMode, 1, false);
  SetPlaying(true);
  BeginPointerFlow(100);
  RunPostedWork();  // starts on the 12-tick grid: 96
  EXPECT_EQ(ReadValue(kPointerTicks), 96);
  EXPECT_EQ(Drain(), (std::vector<Posted>{{0x8003, kNotifyValue}}));

  Follow(107);  // less than a step
  EXPECT_EQ(ReadValue(kPointerTicks), 96);
  Follow(110);
  Follow(125);
  EXPECT_EQ(ReadValue(kPointerTicks), 120);  // moves, but not acknowledged
  EXPECT_TRUE(Drain().empty());

  Acknowledge(kPartPointerTicks);
  Follow(133);
  EXPECT_EQ(ReadValue(kPointerTicks), 132);
  EXPECT_EQ(Drain(), (std::vector<Posted>{{0x8003, kNotifyValue}}));
  Follow(150);
  EXPECT_TRUE(Drain().empty());
  // Reading the display value without reading the pointer first is no ack.
  long a = 0;
  QM3GetValue(kPartPointerTicks, 0, &a, nullptr);
  Follow(170);
  EXPECT_TRUE(Drain().empty());
  Acknowledge();
  Follow(190);
  EXPECT_EQ(Drain(), (std::vector<Posted>{{0x8003, kNotifyValue}}));
  SetPlaying(false);
}

int32_t g_followed[8];
int g_follow_count = 0;
void RecordPartLookup(int32_t ticks) {
  if (g_follow_count < 8) g_followed[g_follow_count] = ticks;
  ++g_follow_count;
}

TEST_F(NotifyTest, PlayingSmfLooksUpPartsOnlyEvery48Ticks) {
  RegisterPartFollower(RecordPartLookup);
  g_follow_count = 0;
  WriteValue(kEditingMode, 1, false);
  SetPlaying(true);
  BeginPointerFlow(0);
  RunPostedWork();
  for (int32_t t = 12; t <= 96; t += 12) Follow(t);
  SetPlaying(false);
  RegisterPartFollower(nullptr);
  ASSERT_EQ(g_follow_count, 3);
  EXPECT_EQ(g_followed[0], 0);
  EXPECT_EQ(g_followed[1], 48);
  EXPECT_EQ(g_followed[2], 96);
}

}  // namespace
}  // namespace qm3
