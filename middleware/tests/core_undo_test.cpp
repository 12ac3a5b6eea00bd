// Undo and redo: snapshot on the first write of an edit run, the exchange
// with the pointer carried across, registered state joining the snapshot,
// and the re-edit of the song structure.
#include "core_test_host.h"

namespace qm3 {
namespace {

int g_participant_value = 0;
int g_participant_snapshot = 0;
bool g_participant_can_take = true;

bool TakeParticipant() {
  if (!g_participant_can_take) return false;
  g_participant_snapshot = g_participant_value;
  return true;
}
void SwapParticipant() {
  std::swap(g_participant_value, g_participant_snapshot);
}

class UndoTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    // Joins this test's instance only: the next test starts without it.
    RegisterUndoParticipant({TakeParticipant, SwapParticipant, nullptr});
    g_participant_value = 0;
    g_participant_snapshot = 0;
    g_participant_can_take = true;
    // An SMF being edited: no song-mode reactions in the way.
    WriteValue(kEditingMode, 1, false);
    WriteValue(kSongLength, 3840, false);
    SetCurrentScreen(kScreenSmfEdit);
  }
};

TEST_F(UndoTest, FirstWriteOfAnEditRunTakesTheSnapshot) {
  g_participant_value = 1;
  ASSERT_EQ(QM3SetValue(PartVolume(2), 0, 90, 0), 0);
  EXPECT_TRUE(ReadAlive(kMenuUndo));
  EXPECT_FALSE(ReadAlive(kMenuRedo));
  EXPECT_FALSE(IsSaved());
  g_participant_value = 2;
  // More writes to the same control do not move the snapshot.
  ASSERT_EQ(QM3SetValue(PartVolume(2), 0, 80, 0), 0);
  ASSERT_EQ(QM3SetValue(PartVolume(2), 0, 70, 0), 0);

  SetPointerPosition(96);  // moved after the edit; stays after undo
  ASSERT_EQ(QM3SetValue(kMenuUndo, 0, 1, 0), 0);
  EXPECT_EQ(ReadValue(PartVolume(2)), 100);
  EXPECT_EQ(g_participant_value, 1);
  EXPECT_EQ(ReadValue(kPointerTicks), 96);
  EXPECT_FALSE(ReadAlive(kMenuUndo));
  EXPECT_TRUE(ReadAlive(kMenuRedo));

  // Redo (undo of the undo) brings the edit back.
  ASSERT_EQ(QM3SetValue(kMenuRedo, 0, 1, 0), 0);
  EXPECT_EQ(ReadValue(PartVolume(2)), 70);
  EXPECT_EQ(g_participant_value, 2);
  EXPECT_EQ(ReadValue(kPointerTicks), 96);
  EXPECT_TRUE(ReadAlive(kMenuUndo));
  EXPECT_FALSE(ReadAlive(kMenuRedo));
}

TEST_F(UndoTest, ANewControlStartsANewRun) {
  QM3SetValue(PartVolume(1), 0, 90, 0);
  QM3SetValue(PartPan(1), 0, 10, 0);
  QM3SetValue(kMenuUndo, 0, 1, 0);
  EXPECT_EQ(ReadValue(PartVolume(1)), 90);  // only the pan run is undone
  EXPECT_EQ(ReadValue(PartPan(1)), 64);
}

TEST_F(UndoTest, NoSnapshotOffTheEditScreensWhilePlayingOrWithoutASong) {
  SetCurrentScreen(kScreenPlayTime);
  QM3SetValue(PartVolume(1), 0, 90, 0);
  EXPECT_FALSE(ReadAlive(kMenuUndo));
  SetCurrentScreen(kScreenSmfEdit);
  SetPlaying(true);
  QM3SetValue(PartVolume(1), 0, 91, 0);
  EXPECT_FALSE(ReadAlive(kMenuUndo));
  SetPlaying(false);
  WriteValue(kSongLength, 0, false);
  QM3SetValue(PartVolume(1), 0, 92, 0);
  EXPECT_FALSE(ReadAlive(kMenuUndo));
  EXPECT_TRUE(IsSaved());
}

TEST_F(UndoTest, MainVolumeEditKeepsTheSavedFlag) {
  QM3SetValue(kMainVolume, 0, 3, 0);
  EXPECT_TRUE(ReadAlive(kMenuUndo));
  EXPECT_TRUE(IsSaved());
}

TEST_F(UndoTest, FailedSnapshotDisablesUndo) {
  g_participant_can_take = false;
  QM3SetValue(PartVolume(1), 0, 90, 0);
  EXPECT_FALSE(ReadAlive(kMenuUndo));
  EXPECT_FALSE(ReadAlive(kMenuRedo));
  EXPECT_EQ(LastEditId(), 0);
}

TEST_F(UndoTest, DisabledUndoDoesNotExchange) {
  QM3SetValue(kMenuUndo, 0, 1, 0);
  EXPECT_EQ(ReadValue(kEditingMode), 1);
  EXPECT_EQ(ReadValue(kSongLength), 3840);
}

TEST_F(UndoTest, ExchangeNotifiesTheEditedControlTheAreaAndThePointer) {
  QM3SetValue(PartPan(4), 0, 10, 0);
  Drain();
  QM3SetValue(kMenuUndo, 0, 1, 0);
  const std::vector<Posted> posted = Drain();
  const std::vector<Posted> expected_start = {
      {PartPan(4), kNotifyValue}, {kPartArea, kNotifyValue}, {0x8003, kNotifyValue}};
  ASSERT_GE(posted.size(), expected_start.size());
  // The volume rewrite may notify in between; the order of these three holds.
  std::vector<Posted> filtered;
  for (const Posted& p : posted) {
    if (p == expected_start[0] || p == expected_start[1] || p == expected_start[2])
      filtered.push_back(p);
  }
  EXPECT_EQ(filtered, expected_start);
  EXPECT_EQ(posted.back(), (Posted{kSmfPartPane, kNotifyRedraw}));
  EXPECT_EQ(LastEditId(), 0);
}

TEST_F(UndoTest, CancelAfterReEditRestoresTheStructure) {
  WriteValue(kEditingMode, 0, false);
  SetCurrentScreen(kScreenPlayTime);
  WriteValue(kIntro, 1, false);
  ASSERT_EQ(QM3SetValue(kMenuReEditStructure, 0, 1, 0), 0);
  WriteValue(kIntro, 3, false);
  WriteValue(kSongLength, 999, false);
  ASSERT_EQ(QM3SetValue(kPlayTimeCancel, 0, 1, 0), 0);
  EXPECT_EQ(ReadValue(kIntro), 1);
  EXPECT_EQ(ReadValue(kSongLength), 3840);
  EXPECT_FALSE(ReadAlive(kMenuUndo));
  EXPECT_FALSE(ReadAlive(kMenuRedo));
  // A second cancel (a new song, no re-edit) changes nothing.
  WriteValue(kIntro, 2, false);
  ASSERT_EQ(QM3SetValue(kPlayTimeCancel, 0, 1, 0), 0);
  EXPECT_EQ(ReadValue(kIntro), 2);
}

}  // namespace
}  // namespace qm3
