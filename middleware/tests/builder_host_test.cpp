// The builder through the host's calls: notifications of fitted and refused
// values, the song-creation button, phrase edits with undo, and the song
// file processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "builder_test_content.h"
#include "core/middle_internal.h"
#include "core/time_base.h"
#include "core_test_host.h"
#include "platform/sjis.h"
#include "song/phrase_list.h"

namespace qm3 {
namespace {

namespace fs = std::filesystem;

class BuilderHostTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    content_.Install();
    host_dir_.emplace("builder_host");
    content_.rhythms[0] = testing::StandardRhythm();
    content_.rhythms[0].intro_measures = {2, 4, 1, 1};
    content_.melodies.push_back({7, 4, {4, 4, 4, 4}, {4}});
    ASSERT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4203, 0), 0);
    for (auto [id, v] : {std::pair{kIntro, 4}, {kEnding, 4}, {kStartTime, 0}, {kEndTime, 1800}})
      WriteValue(id, v, false);
    Drain();
  }

  int Set(long id, long value) { return QM3SetValue(id, 0, value, 0); }
  bool WasPosted(const std::vector<qm3::Posted>& posted, long id) {
    return std::find(posted.begin(), posted.end(), qm3::Posted{id, kNotifyValue}) != posted.end();
  }

  testing::TestContent content_;
  std::optional<testing::TempHostDirectory> host_dir_;
};

TEST_F(BuilderHostTest, RefusedIntroIsRestoredAndPostedBack) {
  ASSERT_EQ(Set(kEndTime, 127), 0);  // two measures: intro 2 (4 measures) cannot fit
  Drain();
  EXPECT_EQ(Set(kIntro, 1), 21);
  EXPECT_EQ(Get(kIntro), 4);
  EXPECT_TRUE(WasPosted(Drain(), kIntro));
}

TEST_F(BuilderHostTest, FittedTimesAndSectionsArePosted) {
  ASSERT_EQ(Set(kIntro, 1), 0);  // fits in one minute
  Drain();
  EXPECT_EQ(Set(kEndTime, 100), 24);
  EXPECT_EQ(Get(kEndTime), 127);
  EXPECT_EQ(Get(kIntro), 0);
  const std::vector<Posted> posted = Drain();
  EXPECT_TRUE(WasPosted(posted, kEndTime));
  EXPECT_TRUE(WasPosted(posted, kIntro));
  EXPECT_FALSE(WasPosted(posted, kStartTime));
}

TEST_F(BuilderHostTest, NewPlayTimeSongSpansOneMinuteOfTheTimeBase) {
  WriteValue(kStartTime, 500, false);
  WriteValue(kTimeBase, kTimeBase2997, false);
  ASSERT_EQ(Set(kMenuNewPlayTimeSong, 1), 0);
  EXPECT_EQ(Get(kStartTime), 0);
  EXPECT_EQ(Get(kEndTime), 1798);
  EXPECT_TRUE(WasPosted(Drain(), kEndTime));
}

TEST_F(BuilderHostTest, SongButtonMakesTheSongThatProcessOneHandsOut) {
  ASSERT_EQ(Set(kCreateSongButton, 1), 0);
  EXPECT_EQ(Get(kSongLength), 11520);
  EXPECT_EQ(Get(kTempo), 120);  // the host sees whole beats per minute
  EXPECT_EQ(Get(ProcessId(kProcRealTimeSongFlag)), 0);
  long a = 0;
  long b = 0;
  ASSERT_EQ(QM3GetValue(ProcessId(kProcGetSongTimeLineData), 0, &a, &b), 0);
  const auto* list = reinterpret_cast<const QM3PhraseList*>(a);
  ASSERT_EQ(list->nCount, 8);
  EXPECT_EQ(platform::SjisToUtf8(list->pPhrases[7].szName), "ﾌﾚｰｽﾞD-2");
  EXPECT_EQ(list->pPhrases[7].nLength, 8);
  EXPECT_EQ(list->pPhrases[7].nParts, 62);
}

TEST_F(BuilderHostTest, PhraseEditsChangeTheSelectedPhraseAndUndoTogether) {
  ASSERT_EQ(Set(kCreateSongButton, 1), 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4205, 0), 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 2 * 16 * 96 + 10, 0), 0);
  ASSERT_EQ(SelectedPhrase(), 2);
  const std::vector<SongPhrase> before = SongPhrases();

  ASSERT_EQ(Set(kPhraseVariation, 3), 0);
  ASSERT_EQ(Set(kPhraseMelody, 0), 0);
  ASSERT_EQ(Set(kPhraseDrums, 0), 0);
  EXPECT_EQ(SongPhrases()[2].variation, 3);
  EXPECT_EQ(SongPhrases()[2].parts, kAllParts & ~kPartMelody & ~kPartDrums);
  EXPECT_TRUE(WasPosted(Drain(), kSongTimeLineArea));

  // Undo takes back the last run of edits (the drums), phrase list included.
  ASSERT_EQ(Set(kMenuUndo, 1), 0);
  EXPECT_EQ(SongPhrases()[2].parts, kAllParts & ~kPartMelody);
  ASSERT_EQ(Set(kMenuRedo, 1), 0);
  EXPECT_EQ(SongPhrases()[2].parts, kAllParts & ~kPartMelody & ~kPartDrums);
  EXPECT_NE(SongPhrases(), before);
}

TEST_F(BuilderHostTest, SaveAsThenOpenRestoresTheSong) {
  ASSERT_EQ(Set(kCreateSongButton, 1), 0);
  const fs::path dir = fs::path(::testing::TempDir()) / "builder_host_song";
  fs::create_directories(dir);
  const std::string path = (dir / "Song.BGM").string();
  // A song just made is in no file yet.
  EXPECT_EQ(Get(ProcessId(kProcGetSaved)), 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcSaveAsFile), 0, 0, reinterpret_cast<long>(path.c_str())), 0);
  EXPECT_EQ(Get(ProcessId(kProcGetSaved)), 1);
  const std::vector<SongPhrase> saved = SongPhrases();

  ClearSongPhrases();
  WriteValue(kSongLength, 0, false);
  fs::remove(WorkDirectory() + "body_mid.dat");
  ASSERT_EQ(QM3SetValue(ProcessId(kProcOpenFile), 0, 0, reinterpret_cast<long>(path.c_str())), 0);
  EXPECT_EQ(SongPhrases(), saved);
  EXPECT_EQ(Get(kSongLength), 11520);
  EXPECT_TRUE(fs::exists(WorkDirectory() + "body_mid.dat"));  // rendered again
  char name[260] = {};
  long a = reinterpret_cast<long>(name);
  long b = 0;
  ASSERT_EQ(QM3GetValue(ProcessId(kProcGetEditFileName), 0, &a, &b), 0);
  EXPECT_EQ(std::string(name), path);

  // Process 21 writes the same file again.
  WriteValue(kLiveliness, 4, false);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcSaveFile), 0, 0, 0), 0);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find("3,7:4\r\n"), std::string::npos);

  const std::string other = (dir / "song.txt").string();
  EXPECT_EQ(QM3SetValue(ProcessId(kProcOpenFile), 0, 0, reinterpret_cast<long>(other.c_str())), 6);
  fs::remove_all(dir);
}

TEST_F(BuilderHostTest, OldFilesTellRealTimeSongsByTheirPhraseNames) {
  const fs::path dir = fs::path(::testing::TempDir()) / "builder_host_old";
  fs::create_directories(dir);
  const std::string path = (dir / "old.bgm").string();
  for (auto [name, flag] : {std::pair{"ﾌﾚｰｽﾞ1", 1}, {"ﾌﾚｰｽﾞA-1", 0}}) {
    std::ofstream(path, std::ios::binary)
        << "QM3SONG_0002\r\n%MIDDLE\r\n%MIDDLE_END\r\n%PHRASES\r\n2\r\n"
        << platform::Utf8ToSjis("ｲﾝﾄﾛ1,8,0,0,2,63,\r\n") << platform::Utf8ToSjis(name)
        << ",16,2,1,0,63,\r\n%PHRASES_END\r\n";
    ASSERT_EQ(QM3SetValue(ProcessId(kProcOpenFile), 0, 0, reinterpret_cast<long>(path.c_str())), 0);
    EXPECT_EQ(Get(ProcessId(kProcRealTimeSongFlag)), flag) << name;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qm3
