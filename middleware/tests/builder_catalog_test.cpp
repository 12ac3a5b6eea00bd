// The builder and the song file on loaded catalogs: intro and ending lengths
// from the rhythm's sets, phrases from the melody's mood lists, and the
// catalog identities that a song file stores.
#include <gtest/gtest.h>

#include <optional>

#include "builder_test_content.h"
#include "core/catalog.h"
#include "core_test_host.h"
#include "platform/sjis.h"
#include "song/builder.h"
#include "song/song_file.h"

namespace qm3 {
namespace {

// Rhythm 0: keys 12,1,3, intros 2/4/1/1 and endings 2/1/1/1 measures, 120 BPM,
// 4/4. Rhythm 1: keys 40,2,7, 96 BPM, 3/4.
const char kRhythms[] =
    "Pop,2\n"
    "Eight,12,1,3,2,2,4,1,120,7,4,0,0,0,0,0,0,0,0,0\n"
    "Waltz,40,2,7,1,1,1,1,96,16,3,0,0,0,0,0,0,0,0,0\n";
const char kMelodies[] =
    "Morning,7,4,4,4,4,4,4,1,2\n"
    "Dance,16,3,1,4,1,4\n";

class BuilderCatalogTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    host_dir_.emplace("builder_catalog");
    ASSERT_EQ(ParseRhythmCatalog(kRhythms), 0);
    ASSERT_EQ(ParseMelodyCatalog(kMelodies), 0);
    for (auto [id, v] : {std::pair{kRhythm, 0},
                         {kUserMelody, 0},
                         {kIntro, 1},
                         {kEnding, 4},
                         {kStartTime, 0},
                         {kEndTime, 1800}})
      WriteValue(id, v, false);
  }
  void TearDown() override {
    ParseRhythmCatalog("");
    ParseMelodyCatalog("");
    CoreTest::TearDown();
  }
  std::optional<testing::TempHostDirectory> host_dir_;
};

TEST_F(BuilderCatalogTest, IntroLengthComesFromTheRhythm) {
  ASSERT_EQ(MakePlayTimeSong(), 0);
  const std::vector<SongPhrase>& list = SongPhrases();
  ASSERT_EQ(list.size(), 8u);  // intro 2 (4 measures) and 26 body measures
  EXPECT_EQ(platform::SjisToUtf8(list[0].Name()), "ｲﾝﾄﾛ2");
  EXPECT_EQ(list[0].length, 16);
  EXPECT_EQ(list[7].length, 8);
  EXPECT_EQ(list[7].parts, kAllButMelody);
  EXPECT_EQ(ReadValue(kTempo), 1200000);
  EXPECT_EQ(ReadValue(kSongLength), 120 * 96);
}

TEST_F(BuilderCatalogTest, SongFileStoresCatalogIdentities) {
  ASSERT_EQ(MakePlayTimeSong(), 0);
  const std::string file = FormatSongFile();
  EXPECT_NE(file.find("\r\nRHY:12,1,3,\r\nMEL:7,\r\n"), std::string::npos);

  WriteValue(kRhythm, 1, false);
  WriteValue(kUserMelody, 1, false);
  ASSERT_EQ(ReadSongFile(file), 0);
  EXPECT_EQ(ReadValue(kRhythm), 0);
  EXPECT_EQ(ReadValue(kUserMelody), 0);

  // A melody number that is not in the catalog: the first melody in the
  // rhythm's metre.
  WriteValue(kRhythm, 1, false);
  ASSERT_EQ(ReadSongFile("QM3SONG_0003\n%MIDDLE\n%MIDDLE_END\n%PHRASES\n0\n%PHRASES_END\n"
                         "%CONTENTS\nRHY:40,2,7,\nMEL:99,\n%CONTENTS_END\n"),
            0);
  EXPECT_EQ(ReadValue(kRhythm), 1);
  EXPECT_EQ(ReadValue(kUserMelody), 1);
}

TEST_F(BuilderCatalogTest, MelodyWithoutPhrasesIsRefused) {
  ASSERT_EQ(ParseMelodyCatalog("Empty,7,4,0,0\n"), 0);
  EXPECT_EQ(MakePlayTimeSong(), 1);
  EXPECT_TRUE(SongPhrases().empty());
}

}  // namespace
}  // namespace qm3
