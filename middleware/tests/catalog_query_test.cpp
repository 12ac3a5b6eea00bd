#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "platform/sjis.h"
#include "qm3middle.h"

namespace qm3 {
namespace {

namespace fs = std::filesystem;

// Group 0: two rhythms in 4/4 and 3/4; group 1: one rhythm whose default
// melody id does not exist.
const char kRhythms[] =
    "Pop,2\n"
    "Eight,1,2,3,10,20,11,21,128,7,4,40,41,50,99,51,52,53,54,55\n"
    "Waltz,1,4,0,12,22,13,23,96,6,3,0,0,0,0,0,0,0,0,0\n"
    "Odd,1\n"
    "Five,9,1,2,0,0,0,0,100,12345,5,0,0,0,0,0,0,0,0,0\n";
const char kMelodies[] =
    "Morning,7,4,2,4,8,1,16\n"
    "Dance,6,3,1,8,2,4,4\n"
    "Evening,5,3,0,0\n";

class CatalogQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartMiddleware();
    ASSERT_EQ(ParseRhythmCatalog(kRhythms), 0);
    ASSERT_EQ(ParseMelodyCatalog(kMelodies), 0);
    WriteValue(0x0304, 0, false);
    WriteValue(0x0305, 0, false);
    WriteRange(0x0306, 0, 99);
    WriteValue(0x0303, 0, false);
  }
  void TearDown() override {
    DestroyMiddleware();
    ParseRhythmCatalog("");
    ParseMelodyCatalog("");
  }
};

TEST_F(CatalogQueryTest, RhythmFields) {
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmTempo, 0), 128);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmSetA, 1), 11);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmSetB, 3), 1);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmSetA, 4), 0);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmSetB, -1), 0);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmKeyB, 0), 2);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmKeyC, 0), 3);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmParam1, 0), 7);
  EXPECT_EQ(RhythmFieldQuery(1, kRhythmBeats, 0), 3);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmParam2, 0), 40);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmParam3, 0), 41);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmPartByte, 0), 50);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmPartByte, 5), 55);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmPartByte, 6), 0);
  EXPECT_EQ(RhythmFieldQuery(0, kRhythmParam4, 0), 99);
  EXPECT_EQ(RhythmFieldQuery(0x100, kRhythmKeyA, 0), 9);
  EXPECT_EQ(RhythmFieldQuery(0, 13, 0), 1);                // unknown code
  EXPECT_EQ(RhythmFieldQuery(0x205, kRhythmTempo, 0), 0);  // unknown rhythm
  EXPECT_STREQ(RhythmText(0x100, kRhythmGroupName), "Odd");
  EXPECT_STREQ(RhythmText(1, kRhythmName), "Waltz");
  EXPECT_STREQ(RhythmText(2, kRhythmName), "");
}

TEST_F(CatalogQueryTest, RhythmByItsSongFileKeys) {
  EXPECT_EQ(RhythmFieldQuery(1, kRhythmByKeys, (0 << 8) | 4), 1);
  EXPECT_EQ(RhythmFieldQuery(9, kRhythmByKeys, (2 << 8) | 1), 0x100);
  EXPECT_EQ(RhythmFieldQuery(9, kRhythmByKeys, (1 << 8) | 2), 0);
}

TEST_F(CatalogQueryTest, MelodyFieldsFollowTheMood) {
  EXPECT_EQ(MelodyText(0, kMelodyName), "Morning");
  EXPECT_EQ(MelodyFieldQuery(0, kMelodySectionCount, 0), 2);
  EXPECT_EQ(MelodyFieldQuery(0, kMelodySectionLength, 1), 8);
  EXPECT_EQ(MelodyFieldQuery(0, kMelodySectionLength, 2), 0);
  EXPECT_EQ(MelodyText(0, kMelodyPhraseFile), "p_00000007.dat");
  WriteValue(0x0304, 1, false);
  EXPECT_EQ(MelodyFieldQuery(0, kMelodySectionCount, 0), 1);
  EXPECT_EQ(MelodyFieldQuery(0, kMelodySectionLength, 0), 16);
  EXPECT_EQ(MelodyFieldQuery(0, kMelodySectionLength, -1), 0);
  EXPECT_EQ(MelodyText(0, kMelodyPhraseFile), "mp_00000007.dat");
  EXPECT_EQ(MelodyFieldQuery(1, kMelodyBeats, 0), 3);
  EXPECT_EQ(MelodyFieldQuery(2, kMelodyId, 0), 5);
  EXPECT_EQ(MelodyFieldQuery(3, kMelodyId, 0), 0);
  EXPECT_EQ(MelodyFieldQuery(0, 99, 0), 1);
  EXPECT_EQ(MelodyText(3, kMelodyName), "");
}

TEST_F(CatalogQueryTest, DefaultMelodyByIdThenMetreThenFirst) {
  EXPECT_EQ(DefaultMelodyIndex(5, 4), 2);
  EXPECT_EQ(DefaultMelodyIndex(99, 3), 1);
  EXPECT_EQ(DefaultMelodyIndex(99, 7), 0);
  EXPECT_EQ(DefaultMelodyForRhythm(0), 0);      // id 7
  EXPECT_EQ(DefaultMelodyForRhythm(1), 1);      // id 6
  EXPECT_EQ(DefaultMelodyForRhythm(0x100), 0);  // no id 12345, no 5/4 melody
  WriteValue(0x0303, 1, false);
  EXPECT_EQ(MelodyFieldQuery(99, kMelodyDefault, 0), 1);  // the 3/4 melody
}

TEST_F(CatalogQueryTest, PhraseFileNames) {
  EXPECT_EQ(PhraseFileName(5, Mood::kBright), "p_00000005.dat");
  EXPECT_EQ(PhraseFileName(5, Mood::kDark), "mp_00000005.dat");
  EXPECT_EQ(PhraseFileName(99999999, Mood::kBright), "p_99999999.dat");
  EXPECT_EQ(PhraseFileName(100000000, Mood::kBright), "p_00000007.dat");
  EXPECT_EQ(PhraseFileName(-1, Mood::kDark), "mp_00000007.dat");
  ParseMelodyCatalog("Wild,-4,4,0,0\n");
  EXPECT_EQ(PhraseFileName(-1, Mood::kBright), "p_00000000.dat");
}

TEST_F(CatalogQueryTest, RhythmChoiceBringsItsDefaultMelody) {
  WriteValue(0x0306, 2, false);
  WriteValue(0x030E, 1, false);
  WriteValue(0x0303, 1);
  EXPECT_EQ(ReadValue(0x0306), 1);
  EXPECT_EQ(ReadValue(0x030E), 0);
  // A user choice keeps the melody.
  WriteValue(0x0305, 1);
  EXPECT_TRUE(ReadAlive(0x0306));
  EXPECT_TRUE(ReadAlive(0x030E));
  WriteValue(0x0306, 2, false);
  WriteValue(0x0303, 0);
  EXPECT_EQ(ReadValue(0x0306), 2);
  // Back to automatic: the rhythm's default again, controls disabled.
  WriteValue(0x0305, 0);
  EXPECT_EQ(ReadValue(0x0306), 0);
  EXPECT_FALSE(ReadAlive(0x0306));
  EXPECT_FALSE(ReadAlive(0x030E));
}

TEST_F(CatalogQueryTest, RhythmOnTheRealTimeScreenSetsItsStandardTempo) {
  SetCurrentScreen(kScreenRealTime);
  WriteValue(kRealTimeRhythm, 1);
  EXPECT_EQ(ReadValue(kTempo), 960000);
  EXPECT_EQ(ReadValue(kUserMelody), 1);
  EXPECT_EQ(RememberedRhythm(), 1);
  SetCurrentScreen(kScreenPlayTime);
  WriteValue(kRhythm, 0);
  EXPECT_EQ(ReadValue(kTempo), 960000);  // the play-time screen keeps it
  EXPECT_EQ(RememberedRhythm(), 0);
}

// Through the exported calls: the host sees the tempo in whole BPM on 0x0409
// and in 1/100 BPM on 0x050A.
TEST_F(CatalogQueryTest, StandardTempoButtonSetsTheRhythmsTempo) {
  SetCurrentScreen(kScreenPlayTime);
  WriteValue(kRhythm, 1);
  ASSERT_EQ(QM3SetValue(kTempo, 0, 150, 0), 0);
  ASSERT_EQ(QM3SetValue(kStandardTempoButton, 0, 1, 0), 0);
  long bpm = 0;
  ASSERT_EQ(QM3GetValue(kTempo, 0, &bpm, nullptr), 0);
  EXPECT_EQ(bpm, 96);

  // The song-edit screen's button does the same.
  ASSERT_EQ(QM3SetValue(kEditTempo, 0, 14000, 0), 0);
  ASSERT_EQ(QM3SetValue(kEditStandardTempoButton, 0, 1, 0), 0);
  long hundredths = 0;
  ASSERT_EQ(QM3GetValue(kEditTempo, 0, &hundredths, nullptr), 0);
  EXPECT_EQ(hundredths, 9600);

  // A MIDI file being edited keeps its own tempo.
  WriteValue(kEditingMode, 1, false);
  ASSERT_EQ(QM3SetValue(kEditTempo, 0, 14000, 0), 0);
  ASSERT_EQ(QM3SetValue(kEditStandardTempoButton, 0, 1, 0), 0);
  ASSERT_EQ(QM3GetValue(kEditTempo, 0, &hundredths, nullptr), 0);
  EXPECT_EQ(hundredths, 14000);
}

TEST_F(CatalogQueryTest, FixedLists) {
  using platform::Utf8ToSjis;
  const QM3ChoiceList* intro = IntroChoices();
  ASSERT_EQ(intro->cCount, 5);
  EXPECT_EQ(std::string(intro->pChoice[0].pszName), Utf8ToSjis("ｲﾝﾄﾛ1"));
  EXPECT_EQ(std::string(intro->pChoice[4].pszName), Utf8ToSjis("なし"));
  EXPECT_EQ(intro->pChoice[4].lValue, 4);
  EXPECT_EQ(intro->pChoice[4].lFlag, 1);
  const QM3ChoiceList* ending = EndingChoices();
  ASSERT_EQ(ending->cCount, 5);
  EXPECT_EQ(std::string(ending->pChoice[3].pszName), Utf8ToSjis("ｴﾝﾃﾞｨﾝｸﾞ4"));
  const QM3ChoiceList* start = StartPhraseChoices();
  ASSERT_EQ(start->cCount, 2);
  EXPECT_STREQ(start->pChoice[1].pszName, "B");
  long a = 0, b = 0;
  RunProcess(46, &a, &b);
  EXPECT_EQ(reinterpret_cast<const QM3ChoiceList*>(a), start);
}

TEST_F(CatalogQueryTest, AddedEntriesCountEachListOnItsOwn) {
  using platform::Utf8ToSjis;
  const fs::path dir = fs::temp_directory_path() / "catalog_query_test_added";
  fs::create_directories(dir);
  std::ofstream(dir / kRhythmCatalogName) << kRhythms;
  std::ofstream(dir / kMelodyCatalogName) << kMelodies;
  const std::string saved = HostDirectory();
  SetHostDirectory(dir.string() + "/");
  while (AddedRhythms()->cCount > 0) RemoveAddedRhythm();
  while (AddedMelodies()->cCount > 0) RemoveAddedMelody();

  long a = 0;
  long b = reinterpret_cast<long>("/x/new.rhy");
  EXPECT_EQ(RunProcess(23, &a, &b), 0);
  ASSERT_EQ(AddedRhythms()->cCount, 1);
  EXPECT_EQ(std::string(AddedRhythms()->pRhythm[0].pszName), Utf8ToSjis("追加１"));
  EXPECT_EQ(AddedRhythms()->pRhythm[0].lKeyA, 0x40000);
  b = reinterpret_cast<long>("/x/new.mel");
  EXPECT_EQ(RunProcess(23, &a, &b), 0);
  ASSERT_EQ(AddedMelodies()->cCount, 1);
  EXPECT_EQ(std::string(AddedMelodies()->pMelody[0].pszName), Utf8ToSjis("追加１"));
  EXPECT_EQ(AddedMelodies()->pMelody[0].lID, 0x40000);
  for (int i = 0; i < 3; ++i) AddCatalogEntry("m");
  ASSERT_EQ(AddedMelodies()->cCount, 4);
  EXPECT_EQ(std::string(AddedMelodies()->pMelody[2].pszName), Utf8ToSjis("追加３"));
  EXPECT_EQ(std::string(AddedMelodies()->pMelody[3].pszName), Utf8ToSjis("追加１"));
  EXPECT_EQ(AddedMelodies()->pMelody[3].lID, 0x40003);
  // The catalogs were loaded again.
  EXPECT_EQ(RhythmGroups()->cCount, 2);

  EXPECT_EQ(RunProcess(44, &a, &b), 0);
  EXPECT_EQ(AddedMelodies()->cCount, 3);
  EXPECT_EQ(RunProcess(45, &a, &b), 0);
  EXPECT_EQ(RunProcess(45, &a, &b), 0);  // already empty: stays empty
  EXPECT_EQ(AddedRhythms()->cCount, 0);
  EXPECT_EQ(AddedRhythms()->pRhythm, nullptr);

  // A full list takes no more entries.
  while (AddedMelodies()->cCount < 255) ASSERT_EQ(AddCatalogEntry("m"), 0);
  EXPECT_EQ(AddCatalogEntry("m"), 1);
  EXPECT_EQ(AddedMelodies()->cCount, 255);
  EXPECT_EQ(AddCatalogEntry(nullptr), 1);

  // A missing catalog is reported by the add.
  fs::remove(dir / kMelodyCatalogName);
  EXPECT_EQ(AddCatalogEntry("r.rhy"), 5);
  while (AddedRhythms()->cCount > 0) RemoveAddedRhythm();
  while (AddedMelodies()->cCount > 0) RemoveAddedMelody();
  SetHostDirectory(saved);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qm3
