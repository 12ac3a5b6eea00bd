#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/catalog.h"
#include "core/middle_internal.h"
#include "core/middleware.h"

namespace qm3 {
namespace {

namespace fs = std::filesystem;

// Nineteen numbers: key a, b, c, set A0, B0, A1, B1, tempo, param 1, beats,
// param 2, param 3, part 0, param 4, parts 1..5.
const char kRhythmLine[] = "Swing,7,2,3,10,20,11,21,132,5,3,40,41,50,99,51,52,53,54,55";

std::string Rhythms(int groups, int per_group) {
  std::string s;
  for (int g = 0; g < groups; ++g) {
    s += "G" + std::to_string(g) + "," + std::to_string(per_group) + "\n";
    for (int i = 0; i < per_group; ++i) s += std::string(kRhythmLine) + "\n";
  }
  return s;
}

class CatalogReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartMiddleware();
    dir_ = fs::temp_directory_path() /
           ("catalog_reader_test_" +
            std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    saved_host_ = HostDirectory();
    SetHostDirectory(dir_.string() + "/");
  }
  void TearDown() override {
    DestroyMiddleware();
    SetHostDirectory(saved_host_);
    fs::remove_all(dir_);
    ParseRhythmCatalog("");
    ParseMelodyCatalog("");
  }
  void Write(const char* name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  fs::path dir_;
  std::string saved_host_;
};

TEST_F(CatalogReaderTest, RhythmRecordTakesEveryTokenToItsField) {
  ASSERT_EQ(ParseRhythmCatalog("; library\nLatin,2\n;comment inside\nBossa,1\n" +
                               std::string(kRhythmLine) + "\n"),
            0);
  const QM3RhythmGroupList* list = RhythmGroups();
  ASSERT_EQ(list->cCount, 1);
  const QM3RhythmGroup& g = list->pGroup[0];
  EXPECT_STREQ(g.pszName, "Latin");
  ASSERT_EQ(g.cCount, 2);
  EXPECT_STREQ(g.pRhythm[0].pszName, "Bossa");
  EXPECT_EQ(g.pRhythm[0].lKeyA, 1);  // "1" and nothing else: the rest reads 0
  EXPECT_EQ(g.pRhythm[0].lTempo, 0);
  const QM3RhythmData& r = g.pRhythm[1];
  EXPECT_STREQ(r.pszName, "Swing");
  EXPECT_EQ(r.lID, 1);
  EXPECT_EQ(r.lKeyA, 7);
  EXPECT_EQ(r.lKeyB, 2);
  EXPECT_EQ(r.lKeyC, 3);
  const int set_a[4] = {10, 11, 1, 1};
  const int set_b[4] = {20, 21, 1, 1};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(r.lSetA[k], set_a[k]);
    EXPECT_EQ(r.lSetB[k], set_b[k]);
  }
  EXPECT_EQ(r.lTempo, 132);
  EXPECT_EQ(r.lParam1, 5);
  EXPECT_EQ(r.lBeats, 3);
  EXPECT_EQ(r.cParam2, 40);
  EXPECT_EQ(r.cParam3, 41);
  const unsigned char parts[6] = {50, 51, 52, 53, 54, 55};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(r.cPart[k], parts[k]);
  EXPECT_EQ(r.lParam4, 99);
}

TEST_F(CatalogReaderTest, IdsCountGroupsAndRhythmsFromZero) {
  ASSERT_EQ(ParseRhythmCatalog(Rhythms(3, 4)), 0);
  EXPECT_EQ(RhythmGroups()->pGroup[2].pRhythm[3].lID, (2 << 8) + 3);
  EXPECT_EQ(FindRhythm((2 << 8) + 3), &RhythmGroups()->pGroup[2].pRhythm[3]);
  EXPECT_EQ(FindRhythm((2 << 8) + 4), nullptr);
  EXPECT_EQ(FindRhythm(3 << 8), nullptr);
  EXPECT_EQ(FindRhythm(-1), nullptr);
}

TEST_F(CatalogReaderTest, EmptyLineOrEndOfFileEndsTheCatalog) {
  ASSERT_EQ(ParseRhythmCatalog("\nG,1\n" + std::string(kRhythmLine) + "\n"), 0);
  EXPECT_EQ(RhythmGroups()->cCount, 0);
  EXPECT_EQ(RhythmGroups()->pGroup, nullptr);
  // Announced 3, two follow, then the end of the file.
  ASSERT_EQ(ParseRhythmCatalog("G,3\r\n" + std::string(kRhythmLine) + "\r\n" + kRhythmLine), 0);
  ASSERT_EQ(RhythmGroups()->cCount, 1);
  EXPECT_EQ(RhythmGroups()->pGroup[0].cCount, 2);
  ASSERT_EQ(ParseRhythmCatalog(Rhythms(1, 2) + "\r\n" + Rhythms(1, 2)), 0);
  EXPECT_EQ(RhythmGroups()->cCount, 1);
}

TEST_F(CatalogReaderTest, GroupAndCountLimits) {
  ASSERT_EQ(ParseRhythmCatalog(Rhythms(256, 1)), 0);
  ASSERT_EQ(RhythmGroups()->cCount, 255);
  EXPECT_STREQ(RhythmGroups()->pGroup[254].pszName, "G254");
  // A huge count takes at most 255 rhythms; the lines after them are headers.
  ASSERT_EQ(ParseRhythmCatalog("G,2147483647\n" + Rhythms(0, 0) +
                               [] {
                                 std::string s;
                                 for (int i = 0; i < 300; ++i) s += "R,1\n";
                                 return s;
                               }()),
            0);
  ASSERT_GE(RhythmGroups()->cCount, 1);
  EXPECT_EQ(RhythmGroups()->pGroup[0].cCount, 255);
  // Negative counts give empty groups.
  ASSERT_EQ(ParseRhythmCatalog("G,-5\nH,0\n"), 0);
  ASSERT_EQ(RhythmGroups()->cCount, 2);
  EXPECT_EQ(RhythmGroups()->pGroup[0].cCount, 0);
}

TEST_F(CatalogReaderTest, OverlongLinesKeepTheirFirstCharacters) {
  const std::string name(300, 'N');
  ASSERT_EQ(ParseRhythmCatalog(name + ",1\n" + kRhythmLine + "\n"), 0);
  // The count was cut off with the tail, so the group is empty and the next
  // line is a header (the tail ",1" never becomes a line of its own).
  ASSERT_EQ(RhythmGroups()->cCount, 2);
  EXPECT_EQ(std::string(RhythmGroups()->pGroup[0].pszName), std::string(256, 'N'));
  EXPECT_EQ(RhythmGroups()->pGroup[0].cCount, 0);
  EXPECT_STREQ(RhythmGroups()->pGroup[1].pszName, "Swing");
  const std::string melody = "M,5,4,3,1,2," + std::string(400, '3') + ",2,7,8\n";
  ASSERT_EQ(ParseMelodyCatalog(melody + "Next,6,3,0,0\n"), 0);
  ASSERT_EQ(Melodies()->cCount, 2);
  EXPECT_EQ(Melodies()->pMelody[0].plBright[2], 2147483647);
  EXPECT_EQ(Melodies()->pMelody[0].lDarkCount, 0);
  EXPECT_STREQ(Melodies()->pMelody[1].pszName, "Next");
}

TEST_F(CatalogReaderTest, MelodyLists) {
  ASSERT_EQ(ParseMelodyCatalog(";melodies\nWaltz,5,3,2,4,8,3,2,2,4\nShort,6,4\nBad,x,,-3,1\n"), 0);
  const QM3MelodyList* list = Melodies();
  ASSERT_EQ(list->cCount, 3);
  const QM3MelodyData& w = list->pMelody[0];
  EXPECT_STREQ(w.pszName, "Waltz");
  EXPECT_EQ(w.lID, 5);
  EXPECT_EQ(w.lBeats, 3);
  ASSERT_EQ(w.lBrightCount, 2);
  EXPECT_EQ(w.plBright[0], 4);
  EXPECT_EQ(w.plBright[1], 8);
  ASSERT_EQ(w.lDarkCount, 3);
  EXPECT_EQ(w.plDark[2], 4);
  const QM3MelodyData& s = list->pMelody[1];
  EXPECT_EQ(s.lBrightCount, 0);
  EXPECT_EQ(s.plBright, nullptr);
  EXPECT_EQ(s.lDarkCount, 0);
  const QM3MelodyData& b = list->pMelody[2];
  EXPECT_EQ(b.lID, 0);
  EXPECT_EQ(b.lBeats, 0);
  EXPECT_EQ(b.lBrightCount, 0);  // negative count
  EXPECT_EQ(b.lDarkCount, 1);    // the token after it
}

TEST_F(CatalogReaderTest, HugeSectionCountsAreBoundedAndMissingNumbersReadZero) {
  ASSERT_EQ(ParseMelodyCatalog("Huge,1,4,2000000000,7\n"), 0);
  const QM3MelodyData& m = Melodies()->pMelody[0];
  ASSERT_EQ(m.lBrightCount, kMelodyMaxSections);
  EXPECT_EQ(m.plBright[0], 7);
  EXPECT_EQ(m.plBright[kMelodyMaxSections - 1], 0);
  EXPECT_EQ(m.lDarkCount, 0);
}

TEST_F(CatalogReaderTest, AtMost255Melodies) {
  std::string s;
  for (int i = 0; i < 300; ++i) s += "M" + std::to_string(i) + "," + std::to_string(i) + ",4,0,0\n";
  ASSERT_EQ(ParseMelodyCatalog(s), 0);
  ASSERT_EQ(Melodies()->cCount, 255);
  EXPECT_EQ(Melodies()->pMelody[254].lID, 254);
}

TEST_F(CatalogReaderTest, LoadsFromTheHostDirectoryAndReportsMissingFiles) {
  EXPECT_EQ(LoadCatalogs(), 5);
  Write(kRhythmCatalogName, Rhythms(2, 2));
  EXPECT_EQ(LoadCatalogs(), 5);  // rhythms read, melodies missing
  EXPECT_EQ(RhythmGroups()->cCount, 2);
  Write(kMelodyCatalogName, "A,1,4,1,8,1,8\n");
  EXPECT_EQ(LoadCatalogs(), 0);
  EXPECT_EQ(Melodies()->cCount, 1);
  long a = 0, b = 0;
  RunProcess(9, &a, &b);
  EXPECT_EQ(reinterpret_cast<const QM3RhythmGroupList*>(a), RhythmGroups());
  EXPECT_EQ(RunInitSteps(kInitCatalogs), 0);
  fs::remove(dir_ / kRhythmCatalogName);
  EXPECT_EQ(RunInitSteps(kInitCatalogs), 5);
}

TEST_F(CatalogReaderTest, RealLibraryLoadsWhenGenerated) {
  const char* env = std::getenv("SONAVEX_DATA_DIR");
  const std::string data = env != nullptr && *env != '\0' ? env : SONAVEX_DATA_DIR;
  if (!fs::exists(fs::path(data) / kRhythmCatalogName) ||
      !fs::exists(fs::path(data) / kMelodyCatalogName))
    GTEST_SKIP() << "no generated library in " << data;
  SetHostDirectory(data + "/");
  ASSERT_EQ(LoadCatalogs(), 0);
  ASSERT_GT(RhythmGroups()->cCount, 0);
  ASSERT_GT(Melodies()->cCount, 0);
  for (int g = 0; g < RhythmGroups()->cCount; ++g) {
    const QM3RhythmGroup& group = RhythmGroups()->pGroup[g];
    for (int i = 0; i < group.cCount; ++i) {
      const QM3RhythmData& r = group.pRhythm[i];
      EXPECT_GT(r.lTempo, 0) << r.pszName;
      EXPECT_GT(r.lBeats, 0) << r.pszName;
    }
  }
  for (int i = 0; i < Melodies()->cCount; ++i) {
    const QM3MelodyData& m = Melodies()->pMelody[i];
    EXPECT_GT(m.lBrightCount, 0) << m.pszName;
    EXPECT_TRUE(fs::exists(fs::path(data) / PhraseFileName(m.lID, Mood::kBright))) << m.pszName;
    EXPECT_TRUE(fs::exists(fs::path(data) / PhraseFileName(m.lID, Mood::kDark))) << m.pszName;
  }
}

}  // namespace
}  // namespace qm3
