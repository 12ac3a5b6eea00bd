// Screens and modes: the change of screen with its transport rules and entry
// work, the start-up choice, and the menu states of the editing modes.
#include <algorithm>

#include "core/result.h"
#include "core_test_host.h"

namespace qm3 {
namespace {

class ScreensTest : public CoreTest {
 protected:
  int Change(int screen) {
    return QM3SetValue(ProcessId(kProcChangeWindow), 0, ScreenId(screen), 0);
  }
  bool LocateButtonsAlive() {
    return ReadAlive(kReturnToTop) && ReadAlive(kRewind) && ReadAlive(kFastForward);
  }
  bool LocateButtonsDead() {
    return !ReadAlive(kReturnToTop) && !ReadAlive(kRewind) && !ReadAlive(kFastForward);
  }
};

TEST_F(ScreensTest, IdentifiersOutsideTheScreenGroupAreIgnored) {
  SetCurrentScreen(kScreenPlayTime);
  EXPECT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x0305, 0), 0);
  EXPECT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x14205, 0), 0);
  EXPECT_EQ(CurrentScreen(), kScreenPlayTime);
  EXPECT_TRUE(Drain().empty());
}

TEST_F(ScreensTest, SongEditLocateButtonsFollowTheSongLength) {
  ASSERT_EQ(Change(kScreenSongEdit), 0);
  EXPECT_EQ(CurrentScreen(), kScreenSongEdit);
  EXPECT_TRUE(LocateButtonsDead());
  EXPECT_EQ(ReadValue(kStop), 0);  // stop pressed

  WriteValue(kSongLength, 1, false);
  ASSERT_EQ(Change(kScreenSmfEdit), 0);
  EXPECT_TRUE(LocateButtonsAlive());
  ASSERT_EQ(Change(kScreenPlayTime), 0);
  EXPECT_TRUE(LocateButtonsDead());
  EXPECT_TRUE(ReadAlive(kPlay));
  EXPECT_TRUE(ReadAlive(kFadeOut));
}

TEST_F(ScreensTest, EnteringTheEditScreensDisablesUndo) {
  WriteAlive(kMenuUndo, true);
  WriteAlive(kMenuRedo, true);
  SetLastEditId(PartPan(1));
  ASSERT_EQ(Change(kScreenSmfEdit), 0);
  EXPECT_EQ(Get(kMenuUndo, 2), 0);
  EXPECT_EQ(Get(kMenuRedo, 2), 0);
  EXPECT_EQ(LastEditId(), 0);
}

TEST_F(ScreensTest, EnteringSongEditWithASongEnablesThePartSwitches) {
  for (ControlId id = kPhraseAccomp1; id <= kPhraseMelody; ++id) WriteAlive(id, false);
  WriteValue(kSongLength, 384, false);
  Drain();
  ASSERT_EQ(Change(kScreenSongEdit), 0);
  for (ControlId id = kPhraseAccomp1; id <= kPhraseDrums; ++id) EXPECT_TRUE(ReadAlive(id)) << id;
  EXPECT_FALSE(ReadAlive(kPhraseMelody));
  const std::vector<Posted> posted = Drain();
  ASSERT_GE(posted.size(), 3u);
  EXPECT_EQ(posted.back(), (Posted{kSongTimeLinePane, kNotifyRedraw}));
}

int g_leave_calls = 0;
Rc g_enter_result = kRcOk;
Rc CountLeave(int) {
  ++g_leave_calls;
  return kRcOk;
}
Rc OpenInput(int) {
  return g_enter_result;
}

TEST_F(ScreensTest, RealTimeScreenEntryAndExit) {
  RegisterScreenLeave(kScreenRealTime, CountLeave);
  RegisterScreenEnter(kScreenRealTime, OpenInput);
  g_leave_calls = 0;
  WriteValue(IntroLamp(2), 1, false);
  WriteValue(FillInLamp(2), 1, false);
  WriteValue(kSongLength, 960, false);
  WriteValue(kStartTime, 300, false);
  WriteValue(kEndTime, 5000, false);
  g_enter_result = kRcMidiDeviceNotOpened;
  EXPECT_EQ(Change(kScreenRealTime), kRcMidiDeviceNotOpened);
  EXPECT_EQ(CurrentScreen(), kScreenRealTime);  // stays set on failure
  EXPECT_EQ(ReadValue(IntroLamp(2)), 0);
  EXPECT_EQ(ReadValue(FillInLamp(2)), 0);
  EXPECT_EQ(ReadValue(IntroButton(2)), 1);
  EXPECT_FALSE(ReadAlive(kPlay));
  EXPECT_FALSE(ReadAlive(kRealTimeOk));
  EXPECT_TRUE(ReadAlive(kTempo));
  EXPECT_EQ(ReadValue(kSongLength), 0);
  EXPECT_TRUE(LocateButtonsDead());

  g_enter_result = kRcOk;
  EXPECT_EQ(Change(kScreenSongEdit), 0);
  EXPECT_EQ(g_leave_calls, 1);
}

TEST_F(ScreensTest, RealTimeStartTimeMovesTheEnd) {
  SetCurrentScreen(kScreenRealTime);
  Drain();
  ASSERT_EQ(QM3SetValue(kRealTimeStartTime, 0, 120, 0), 0);
  EXPECT_EQ(ReadValue(kStartTime), 120);
  // With a tick-to-time conversion of 0 ticks the end is the start.
  EXPECT_EQ(ReadValue(kEndTime), 120);
  const std::vector<Posted> posted = Drain();
  EXPECT_NE(std::find(posted.begin(), posted.end(), Posted{kRealTimeEndTime, kNotifyValue}),
            posted.end());
}

TEST_F(ScreensTest, StartUpChoiceSetsOneMinuteInTheTimeBase) {
  WriteValue(kTimeBase, 2, false);  // 29.97 frames per second
  ASSERT_EQ(QM3SetValue(ProcessId(kProcInitialMenu), 0, 0, 0), 0);
  EXPECT_EQ(ReadValue(kEndTime), 1798);
  WriteValue(kTimeBase, 0, false);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcInitialMenu), 0, 0, 0), 0);
  EXPECT_EQ(ReadValue(kEndTime), 1440);
  // Opening a file or cancelling leaves the values alone.
  WriteValue(kEndTime, 7, false);
  for (long choice : {2L, 3L, 4L, 5L, 6L, -1L})
    EXPECT_EQ(QM3SetValue(ProcessId(kProcInitialMenu), 0, choice, 0), 0);
  EXPECT_EQ(ReadValue(kEndTime), 7);
}

TEST_F(ScreensTest, NewSongsStartWithTheRhythmLastChosen) {
  // With catalogs loaded by an earlier test the fit check may adjust the
  // times or sections (22..24); the rhythm is taken all the same.
  const int rc = QM3SetValue(kRhythm, 0, 0x0102, 0);
  ASSERT_TRUE(rc == 0 || (rc >= kRcIntroEndingChanged && rc <= kRcTimesIntroEndingChanged)) << rc;
  ASSERT_EQ(ReadValue(kRhythm), 0x0102);
  WriteValue(kRhythm, 0, false);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcInitialMenu), 0, 1, 0), 0);
  EXPECT_EQ(ReadValue(kRhythm), 0x0102);
}

TEST_F(ScreensTest, MenuStatesFollowTheEditingMode) {
  ASSERT_EQ(QM3SetValue(kEditingMode, 0, 1, 0), 0);
  EXPECT_FALSE(ReadAlive(kMenuSongToSmf));
  EXPECT_TRUE(ReadAlive(kMenuSelectionToSmf));
  EXPECT_TRUE(ReadAlive(kMenuSelectionToAudio));
  EXPECT_FALSE(ReadAlive(kMenuAddRhythm));
  EXPECT_FALSE(ReadAlive(kMenuReEditStructure));
  EXPECT_TRUE(ReadAlive(kMenuSave));
  ASSERT_EQ(QM3SetValue(kEditingMode, 0, 2, 0), 0);  // content: as SMF
  EXPECT_FALSE(ReadAlive(kMenuRemoveMelody));
  EXPECT_TRUE(ReadAlive(kMenuSelectionToSmf));
  ASSERT_EQ(QM3SetValue(kEditingModeSecond, 0, 0, 0), 0);
  EXPECT_TRUE(ReadAlive(kMenuSongToSmf));
  EXPECT_FALSE(ReadAlive(kMenuSelectionToSmf));
  EXPECT_TRUE(ReadAlive(kMenuAddMelody));
  EXPECT_TRUE(ReadAlive(kMenuReEditStructure));
  EXPECT_TRUE(ReadAlive(kMenuSyncPointAndTempo));
  // Out of range: refused, nothing changes.
  EXPECT_EQ(QM3SetValue(kEditingMode, 0, 3, 0), 0);
  EXPECT_EQ(ReadValue(kEditingMode), 0);
}

}  // namespace
}  // namespace qm3
