// The value table: defaults, shared records, aliases, range refusal, empty
// entries, the mode bank and the play handler.
#include "core/value_table.h"
#include "core/value_table_layout.h"
#include "core_test_host.h"

namespace qm3 {
namespace {

using ValueTableTest = CoreTest;

TEST_F(ValueTableTest, DefaultsOfRepresentativeRecords) {
  int32_t min = 0;
  int32_t max = 0;
  EXPECT_EQ(ReadValue(kMainVolume), 7);
  ASSERT_TRUE(ReadRange(kMainVolume, &min, &max));
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 10);
  EXPECT_EQ(ReadValue(kTempo), 1200000);
  EXPECT_FALSE(ReadAlive(kTempo));
  EXPECT_EQ(ReadWidth(kStartTime), 12);
  EXPECT_EQ(ReadValue(PartSound(10)), 0x1000);
  EXPECT_EQ(ReadValue(PartSound(9)), 0);
  EXPECT_EQ(ReadValue(PartPan(16)), 64);
  EXPECT_EQ(ReadValue(PartVolume(1)), 100);
  EXPECT_FALSE(ReadAlive(kMenuUndo));
  EXPECT_EQ(ReadValue(kMenuSyncPointAndTempo), 0);
  EXPECT_EQ(ReadValue(kTimeBase), 3);
  EXPECT_FALSE(ReadAlive(kStop));
  EXPECT_LE(Layout().records_used, kRecordCount);
}

TEST_F(ValueTableTest, SharedRecordsAreOneValue) {
  WriteValue(kReturnToTop, 0, false);
  EXPECT_EQ(ReadValue(kReturnToTopSecond), 0);
  WriteValue(kMidiOutDeviceSecond, 5, false);
  EXPECT_EQ(ReadValue(kMidiOutDevice), 5);
  WriteAlive(kMenuAbout, false);
  EXPECT_FALSE(ReadAlive(kCreateSongButton));
  // Part play flags share the mode bank with the play-time values.
  WriteValue(kLiveliness, 4, false);
  EXPECT_EQ(ReadValue(PartPlay(5)), 4);
}

TEST_F(ValueTableTest, AliasesForwardEveryCommand) {
  EXPECT_EQ(QM3SetValue(kPlayTimeDisplayModeLabel, 0, 5, 0), 0);
  EXPECT_EQ(ReadValue(kTimeDisplayMode), 5);
  WriteValue(kStartTime, 900, false);
  EXPECT_EQ(Get(kRealTimeStartTime), 900);
  EXPECT_EQ(Get(kEditStartTime), 900);
  // Group 0x07 is a second name of group 0x05.
  WriteValue(kSync1Time, 33, false);
  EXPECT_EQ(Get(0x0706), 33);
  EXPECT_EQ(QM3SetValue(0x070C, 2, 0, 0), 0);
  EXPECT_FALSE(ReadAlive(kFadeOut));
  long width = 0;
  EXPECT_EQ(QM3GetValue(kRealTimeEndTime, 4, &width, nullptr), 0);
  EXPECT_EQ(width, 12);
  EXPECT_EQ(AliasTarget(kEditTempo), kTempo);
  EXPECT_EQ(AliasTarget(0x0703), 0x0503);
  EXPECT_EQ(AliasTarget(kMainVolume), 0);
}

TEST_F(ValueTableTest, OutOfRangeValuesAreRefusedSilently) {
  EXPECT_EQ(QM3SetValue(kMainVolume, 0, 11, 0), 0);
  EXPECT_EQ(ReadValue(kMainVolume), 7);
  EXPECT_EQ(QM3SetValue(kMainVolume, 0, -1, 0), 0);
  EXPECT_EQ(ReadValue(kMainVolume), 7);
  // The violated bound comes back through the internal path.
  int32_t v = 42;
  EXPECT_EQ(WriteCommand(kMainVolume, kCmdValue, &v, 0, nullptr), WriteOutcome::kRefused);
  EXPECT_EQ(v, 10);
  v = -3;
  WriteCommand(kMainVolume, kCmdValue, &v, 0, nullptr);
  EXPECT_EQ(v, 0);
  // Values beyond 32 bits do not wrap into range.
  EXPECT_EQ(QM3SetValue(kMainVolume, 0, (1L << 32) + 5, 0), 0);
  EXPECT_EQ(ReadValue(kMainVolume), 7);
}

TEST_F(ValueTableTest, MinAboveMaxRefusesEveryValue) {
  EXPECT_EQ(QM3SetValue(kMainVolume, 1, 8, 3), 0);
  for (long v : {2L, 3L, 5L, 8L, 9L}) EXPECT_EQ(QM3SetValue(kMainVolume, 0, v, 0), 0);
  EXPECT_EQ(ReadValue(kMainVolume), 7);
  int32_t v = 5;
  WriteCommand(kMainVolume, kCmdValue, &v, 0, nullptr);
  EXPECT_EQ(v, 8);  // below min is checked first
}

TEST_F(ValueTableTest, EmptyEntriesAndIndexesPastTheDirectory) {
  for (long id : {0x400BL, 0x4143L, 0x0300L, 0x0311L, 0x03FFL, 0x4310L, 0x433BL, 0x4344L}) {
    long a = -1;
    long b = -2;
    EXPECT_EQ(QM3GetValue(id, 0, &a, &b), 0) << std::hex << id;
    EXPECT_EQ(QM3GetValue(id, 1, &a, &b), 0) << std::hex << id;
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -2);
    EXPECT_EQ(QM3SetValue(id, 0, 1, 0), 0) << std::hex << id;
    EXPECT_EQ(Resolve(static_cast<ControlId>(id)).kind, ResolvedControl::kEmpty);
  }
  EXPECT_EQ(Resolve(0x2001).kind, ResolvedControl::kNone);
  EXPECT_EQ(Resolve(0x0301).kind, ResolvedControl::kRecord);
}

TEST_F(ValueTableTest, PlayButtonToggleWhateverIsWritten) {
  // Written without the transport's reaction (which would start a play).
  EXPECT_EQ(Get(kPlay), 0);
  qm3::WriteValue(kPlay, 0, false);
  EXPECT_EQ(Get(kPlay), 1);
  qm3::WriteValue(kPlay, 1, false);
  EXPECT_EQ(Get(kPlay), 0);
  qm3::WriteValue(kPlay, 77, false);
  EXPECT_EQ(Get(kPlay), 1);
  // Other commands act on the flag's record.
  QM3SetValue(kPlay, 2, 0, 0);
  EXPECT_EQ(Get(kPlay, 2), 0);
  long a = 0;
  long b = 0;
  QM3GetValue(kPlay, 1, &a, &b);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
}

TEST_F(ValueTableTest, PreCountToggles) {
  EXPECT_EQ(Get(kMenuPreCount), 0);
  QM3SetValue(kMenuPreCount, 0, 0, 0);
  EXPECT_EQ(Get(kMenuPreCount), 1);
  QM3SetValue(kMenuPreCount, 0, 1, 0);
  EXPECT_EQ(Get(kMenuPreCount), 0);
  QM3SetValue(kMenuPreCount, 0, 5, 0);
  EXPECT_EQ(Get(kMenuPreCount), 1);
}

TEST_F(ValueTableTest, EditingModeReloadsTheModeBank) {
  WriteValue(kLiveliness, 4, false);
  EXPECT_EQ(QM3SetValue(kEditingMode, 0, 1, 0), 0);
  for (int part = 1; part <= kPartCount; ++part) {
    int32_t min = -1;
    int32_t max = -1;
    EXPECT_EQ(ReadValue(PartPlay(part)), 1) << part;
    ReadRange(PartPlay(part), &min, &max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 1);
    EXPECT_TRUE(ReadAlive(PartPlay(part)));
  }
  EXPECT_EQ(ModeBankRecord(16).max, 256);
  EXPECT_EQ(ModeBankRecord(16).alive, 0);

  EXPECT_EQ(QM3SetValue(kEditingMode, 0, 0, 0), 0);
  int32_t min = -1;
  int32_t max = -1;
  EXPECT_EQ(ReadValue(kRhythm), 0);
  ReadRange(kRhythm, &min, &max);
  EXPECT_EQ(max, 2147483647);
  EXPECT_EQ(ReadValue(kLiveliness), 2);
  EXPECT_EQ(ReadValue(kTempoSlider), 3);
  EXPECT_FALSE(ReadAlive(kUserMelody));
  EXPECT_FALSE(ReadAlive(kStartPhrase));
  // Parts 11..16 keep the flags of the SMF mode.
  EXPECT_EQ(ReadValue(PartPlay(11)), 1);
}

}  // namespace
}  // namespace qm3
