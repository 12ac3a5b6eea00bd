// Song files: the exact bytes written, round trips, old versions, comments
// and every error path.
#include "song/song_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "builder_test_content.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core_test_host.h"
#include "platform/sjis.h"
#include "song/phrase_list.h"
#include "song/song_file_layout.h"

namespace qm3 {
namespace {

namespace fs = std::filesystem;

SongPhrase Phrase(const char* utf8_name, int32_t length, int8_t kind, int8_t variation,
                  int8_t fill_in, int32_t parts) {
  SongPhrase p;
  p.SetName(platform::Utf8ToSjis(utf8_name));
  p.length = length;
  p.kind = kind;
  p.variation = variation;
  p.fill_in = fill_in;
  p.parts = parts;
  return p;
}

std::map<ControlId, int32_t> StoredValues() {
  std::map<ControlId, int32_t> values;
  for (ControlId id : kSongFileParameters)
    if (id != kSongFileRealTimeFlag) values[id] = ReadValue(id);
  values[kRhythm] = ReadValue(kRhythm);
  values[kUserMelody] = ReadValue(kUserMelody);
  return values;
}

class SongFileTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    content_.Install();
    host_dir_.emplace("song_file_host");
    content_.rhythms[0] = testing::StandardRhythm();
    content_.rhythms[0x0102] = testing::StandardRhythm(96, 3);
    content_.rhythms[0x0102].keys = {40, 2, 7};
    content_.melodies.push_back({7, 4, {4, 4}, {2}});
    content_.melodies.push_back({0, 4, {8}, {8}});
    content_.melodies.push_back({16, 3, {4}, {4}});
    const std::pair<ControlId, int32_t> values[] = {
        {kEditingMode, 0},      {kStartTime, 0},       {kEndTime, 1800},   {kSongLength, 11520},
        {kSyncMethod, 0},       {kSync1Time, 0},       {kSync1Measure, 0}, {kSync2Time, 1800},
        {kSync2Measure, 11520}, {kTempo, 1200000},     {kFadeOut, 0},      {kFadeOutSeconds, 1},
        {kTimeBase, 3},         {kTimeDisplayMode, 3}, {kMenuPreCount, 0}, {kMood, 0},
        {kMelodyChoice, 1},     {kLiveliness, 2},      {kIntro, 0},        {kEnding, 0},
        {kStartPhrase, 0},      {kTempoSlider, 3},     {kRhythm, 0},       {kUserMelody, 0},
        {kMainVolume, 7},
    };
    for (auto [id, v] : values) WriteValue(id, v, false);
    ReplaceSongPhrases({
        Phrase("ｲﾝﾄﾛ1", 8, kPhraseIntro, 0, kFillInNone, 63),
        Phrase("ﾌﾚｰｽﾞA-1", 16, kPhraseBody, 1, kFillIn2, 63),
        Phrase("ｴﾝﾃﾞｨﾝｸﾞ1", 8, kPhraseEnding, 0, kFillInNone, 62),
    });
    dir_ = fs::path(::testing::TempDir()) / ("songfile_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    CoreTest::TearDown();
  }

  static std::string Lf(std::string_view crlf) {
    std::string s;
    for (char c : crlf)
      if (c != '\r') s += c;
    return s;
  }

  testing::TestContent content_;
  std::optional<testing::TempHostDirectory> host_dir_;
  fs::path dir_;
};

// The file as written, with the song of SetUp.
std::string ExpectedFile() {
  const std::string lines[] = {"QM3SONG_0003",
                               "%MIDDLE",
                               "3,1:0",
                               "3,2:1800",
                               "4,3:11520",
                               "5,3:0",
                               "5,6:0",
                               "5,7:0",
                               "5,8:1800",
                               "5,9:11520",
                               "4,9:1200000",
                               "3,10:0",
                               "3,11:1",
                               "9,1:3",
                               "9,2:3",
                               "67,43:0",
                               "3,4:0",
                               "3,5:1",
                               "3,7:2",
                               "3,8:0",
                               "3,9:0",
                               "128,38:0",
                               "3,14:0",
                               "3,15:3",
                               "%MIDDLE_END",
                               "%PHRASES",
                               "3",
                               "ｲﾝﾄﾛ1,8,0,0,2,63,",
                               "ﾌﾚｰｽﾞA-1,16,2,1,1,63,",
                               "ｴﾝﾃﾞｨﾝｸﾞ1,8,1,0,2,62,",
                               "%PHRASES_END",
                               "%CONTENTS",
                               "RHY:12,1,3,",
                               "MEL:7,",
                               "%CONTENTS_END"};
  std::string file;
  for (const std::string& line : lines) file += platform::Utf8ToSjis(line) + "\r\n";
  return file;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(SongFileTest, SavedFileMatchesTheLayoutByteForByte) {
  EXPECT_EQ(FormatSongFile(), ExpectedFile());
  const fs::path path = dir_ / "song.bgm";
  ASSERT_EQ(SaveSongFile(path.string()), 0);
  EXPECT_EQ(ReadAll(path), ExpectedFile());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SongFileTest, SaveThenOpenGivesTheSameSong) {
  WriteValue(kRhythm, 0x0102, false);
  WriteValue(kUserMelody, 2, false);
  WriteValue(kFadeOut, 1, false);
  WriteValue(kLiveliness, 4, false);
  const fs::path path = dir_ / "song.bgm";
  ASSERT_EQ(SaveSongFile(path.string()), 0);
  const auto values = StoredValues();
  const std::vector<SongPhrase> phrases = SongPhrases();

  for (ControlId id : {kRhythm, kUserMelody, kFadeOut, kLiveliness, kEndTime, kTempo})
    WriteValue(id, 0, false);
  ClearSongPhrases();
  ASSERT_EQ(OpenSongFile(path.string()), 0);
  EXPECT_EQ(StoredValues(), values);
  EXPECT_EQ(SongPhrases(), phrases);
}

TEST_F(SongFileTest, FailedSaveLeavesThePreviousFile) {
  const fs::path path = dir_ / "song.bgm";
  ASSERT_EQ(SaveSongFile(path.string()), 0);
  EXPECT_EQ(SaveSongFile((dir_ / "missing" / "song.bgm").string()), 11);
  fs::create_directory(dir_ / "taken.bgm");  // cannot be replaced by a file
  EXPECT_EQ(SaveSongFile((dir_ / "taken.bgm").string()), 11);
  EXPECT_EQ(SaveSongFile(""), 11);
  EXPECT_EQ(ReadAll(path), ExpectedFile());
  EXPECT_FALSE(fs::exists(dir_ / "taken.bgm.tmp~"));
}

TEST_F(SongFileTest, VersionOneFileWithLfLinesAndNoContentsOpens) {
  WriteValue(kStartPhrase, 1, false);
  WriteValue(kTempoSlider, 6, false);
  const std::string file = platform::Utf8ToSjis(
      "QM3SONG_0001\n%MIDDLE\n3,2:900\n3,7:1\n%MIDDLE_END\n%PHRASES\n1\n"
      "ﾌﾚｰｽﾞA-1,32,2,0,2,63,\n%PHRASES_END\n");
  ASSERT_EQ(ReadSongFile(file), 0);
  EXPECT_EQ(ReadValue(kEndTime), 900);
  EXPECT_EQ(ReadValue(kLiveliness), 1);
  EXPECT_EQ(ReadValue(kStartPhrase), 0);
  EXPECT_EQ(ReadValue(kTempoSlider), 3);
  EXPECT_EQ(SongPhrases(),
            (std::vector<SongPhrase>{Phrase("ﾌﾚｰｽﾞA-1", 32, kPhraseBody, 0, kFillInNone, 63)}));
}

TEST_F(SongFileTest, VersionTwoFileFindsRhythmAndMelodyByCatalogIdentity) {
  const std::string file =
      "QM3SONG_0002\r\n%MIDDLE\r\n3,3:0\r\n3,15:5\r\n%MIDDLE_END\r\n%PHRASES\r\n0\r\n"
      "%PHRASES_END\r\n%CONTENTS\r\nRHY:40,2,7,\r\nXYZ:1\r\nMEL:16,\r\n%CONTENTS_END\r\n";
  ASSERT_EQ(ReadSongFile(file), 0);
  EXPECT_EQ(ReadValue(kRhythm), 0x0102);
  EXPECT_EQ(ReadValue(kUserMelody), 2);
  EXPECT_EQ(ReadValue(kTempoSlider), 5);
  EXPECT_TRUE(SongPhrases().empty());

  // An unknown rhythm selects rhythm 0; an unknown melody number the
  // catalog's fallback.
  ASSERT_EQ(ReadSongFile("QM3SONG_0003\n%MIDDLE\n%MIDDLE_END\n%PHRASES\n0\n%PHRASES_END\n"
                         "%CONTENTS\nRHY:1,2,3\nMEL:99\n%CONTENTS_END\n"),
            0);
  EXPECT_EQ(ReadValue(kRhythm), 0);
  EXPECT_EQ(ReadValue(kUserMelody), 0);
}

TEST_F(SongFileTest, CommentLinesAreSkippedAnywhere) {
  const std::string file = platform::Utf8ToSjis(
      ";top\nQM3SONG_0003\n;a\n%MIDDLE\n;b\n3,7:3\n;c\n%MIDDLE_END\n;d\n%PHRASES\n;e\n2\n;f\n"
      "ﾌﾚｰｽﾞA-1,16,2,1,1,63,\n;g\nﾌﾚｰｽﾞB-1,16,2,2,0,63,\n;h\n%PHRASES_END\n;i\n%CONTENTS\n;j\n"
      "MEL:16,\n;k\n%CONTENTS_END\n;l\n");
  ASSERT_EQ(ReadSongFile(file), 0);
  EXPECT_EQ(ReadValue(kLiveliness), 3);
  ASSERT_EQ(SongPhrases().size(), 2u);
  EXPECT_EQ(SongPhrases()[1], Phrase("ﾌﾚｰｽﾞB-1", 16, kPhraseBody, 2, kFillIn1, 63));
  EXPECT_EQ(ReadValue(kUserMelody), 2);
}

TEST_F(SongFileTest, OldMelodyNumbersAreTranslated) {
  // Old number 4 is catalog melody 0, the second melody of the list.
  ASSERT_EQ(ReadSongFile("QM3SONG_0001\n%MIDDLE\n3,6:4\n%MIDDLE_END\n%PHRASES\n0\n"
                         "%PHRASES_END\n"),
            0);
  EXPECT_EQ(ReadValue(kUserMelody), 1);
  // Out of range: 17, after the rest of the section was read.
  EXPECT_EQ(ReadSongFile("QM3SONG_0001\n%MIDDLE\n3,6:61\n3,7:4\n%MIDDLE_END\n%PHRASES\n0\n"
                         "%PHRASES_END\n"),
            17);
  EXPECT_EQ(ReadValue(kLiveliness), 4);
  EXPECT_EQ(ReadValue(kUserMelody), 1);
}

TEST_F(SongFileTest, VolumeLinesAreIgnoredAndOutOfRangeValuesRefused) {
  WriteRange(kLiveliness, 0, 4);
  ASSERT_EQ(ReadSongFile("QM3SONG_0003\n%MIDDLE\n6,1:5\n3,7:9\n3,8:3\n%MIDDLE_END\n%PHRASES\n0\n"
                         "%PHRASES_END\n"),
            0);
  EXPECT_EQ(ReadValue(kMainVolume), 7);
  EXPECT_EQ(ReadValue(kLiveliness), 2);
  EXPECT_EQ(ReadValue(kIntro), 3);
}

TEST_F(SongFileTest, LongNamesAreCutAt11Bytes) {
  ASSERT_EQ(ReadSongFile("QM3SONG_0003\n%MIDDLE\n%MIDDLE_END\n%PHRASES\n2\n"
                         "ABCDEFGHIJKLMNOP,4,2,0,0,63,\n"
                         "ABCDEFGHIJ\x82\xA0,4,2,0,0,63,\n%PHRASES_END\n"),
            0);
  ASSERT_EQ(SongPhrases().size(), 2u);
  EXPECT_EQ(SongPhrases()[0].Name(), "ABCDEFGHIJK");
  EXPECT_EQ(SongPhrases()[0].length, 4);
  // A two-byte character that would not fit whole is left out.
  EXPECT_EQ(SongPhrases()[1].Name(), "ABCDEFGHIJ");
}

TEST_F(SongFileTest, EveryErrorReturnsItsCodeAndKeepsWhatWasRead) {
  const fs::path missing = dir_ / "none.bgm";
  EXPECT_EQ(OpenSongFile(missing.string()), 5);
  EXPECT_EQ(ReadSongFile(""), 5);
  EXPECT_EQ(ReadSongFile("QM3SONG_0004\n%MIDDLE\n"), 16);
  EXPECT_EQ(ReadSongFile("QM3SONG_0003"), 16);  // no line end
  EXPECT_EQ(ReadSongFile(" QM3SONG_0003\n"), 16);

  struct Case {
    const char* file;
    int code;
  };
  const Case cases[] = {
      {"QM3SONG_0003\n", 17},
      {"QM3SONG_0003\n%MIDDLEX\n", 17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n", 17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n%MIDDLE_END\n", 17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n%MIDDLE_END\n%PHRASE\n", 17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n%MIDDLE_END\n%PHRASES\n", 17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n%MIDDLE_END\n%PHRASES\n3\nA,4,2,0,0,63,\n", 17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n%MIDDLE_END\n%PHRASES\n3\nA,4,2,0,0,63,\n%PHRASES_END\n",
       17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n%MIDDLE_END\n%PHRASES\n1\nA,4,2,0,0,63,\n", 17},
      {"QM3SONG_0003\n%MIDDLE\n3,2:111\n%MIDDLE_END\n%PHRASES\n0\n%PHRASES_END\n%CONTENTS\n"
       "RHY:40,2,7,\n",
       17},
  };
  for (const Case& c : cases) {
    WriteValue(kEndTime, 1800, false);
    ReplaceSongPhrases({Phrase("X", 4, kPhraseBody, 0, 0, 63)});
    EXPECT_EQ(ReadSongFile(c.file), c.code) << c.file;
    // Values read before the bad line stay set.
    if (std::string_view(c.file).find("3,2:111") != std::string_view::npos) {
      EXPECT_EQ(ReadValue(kEndTime), 111) << c.file;
    }
  }
}

TEST_F(SongFileTest, WhatCannotBeASongIsRefusedAsBroken) {
  const std::string head = "QM3SONG_0003\n%MIDDLE\n";
  const std::string phrases = "%MIDDLE_END\n%PHRASES\n";
  const std::string one = "A,4,2,0,0,63,\n%PHRASES_END\n";
  const std::string cases[] = {
      head + "4,3:2147483647\n" + phrases + "1\n" + one,  // no length can be stored
      head + "4,3:-5\n" + phrases + "1\n" + one,
      head + "4,3:1536\n" + phrases + "-1\n" + one,         // a count below zero
      head + "4,3:1536\n" + phrases + "0\n%PHRASES_END\n",  // a length without phrases
      head + "4,3:1536\n" + phrases + "\n" + one,           // no count
      head + "4,3:1536\n" + phrases + "one\n" + one,
      head + "4,3:1536\n" + phrases + "1x\n" + one,
  };
  for (const std::string& file : cases) {
    WriteValue(kSongLength, 0, false);
    ReplaceSongPhrases({Phrase("X", 4, kPhraseBody, 0, 0, 63)});
    EXPECT_EQ(ReadSongFile(file), 17) << file;
    EXPECT_TRUE(SongPhrases().empty() || SongPhrases()[0].length == 4) << file;
  }
  WriteValue(kSongLength, 0, false);
  EXPECT_EQ(ReadSongFile(head + "4,3:1536\n" + phrases + " 1\r\n" + one), 0);
  EXPECT_EQ(ReadValue(kSongLength), 1536);
  WriteValue(kSongLength, 0, false);
  EXPECT_EQ(ReadSongFile(head + "4,3:0\n" + phrases + "0\n%PHRASES_END\n"), 0)
      << "an empty song as saved";
}

TEST_F(SongFileTest, OnlyRegularFilesOfASongFilesSizeAreOpened) {
  const fs::path fifo = dir_ / "pipe.bgm";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(OpenSongFile(fifo.string()), 5) << "refused at once, not blocked on the open";
  const fs::path zero = dir_ / "zero.bgm";
  fs::create_symlink("/dev/zero", zero);
  EXPECT_EQ(OpenSongFile(zero.string()), 5);
  const fs::path large = dir_ / "large.bgm";
  {
    std::ofstream out(large, std::ios::binary);
    out << ExpectedFile();
    out << std::string(kSongFileLimit, ';');
  }
  EXPECT_EQ(OpenSongFile(large.string()), 17);
}

}  // namespace
}  // namespace qm3
