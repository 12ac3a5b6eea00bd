// Play-time song builder: phrase lists, the tempo rule and the stored song.
#include "song/builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "builder_test_content.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core_test_host.h"
#include "platform/sjis.h"
#include "song/builder_fill_in.h"

namespace qm3 {
namespace {

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

std::vector<std::string> NamesOf(const std::vector<SongPhrase>& phrases) {
  std::vector<std::string> names;
  for (const SongPhrase& p : phrases) names.push_back(platform::SjisToUtf8(p.Name()));
  return names;
}

PlayTimeRequest OneMinuteRequest() {
  PlayTimeRequest q;
  q.start_time = 0;
  q.end_time = 1800;  // 60 s at 30 frames per second
  q.fps = 30;
  q.standard_tempo = 120;
  q.tempo_slider = 3;
  q.recipe.melody_measures = {4, 4, 4, 4};
  q.recipe.beats = 4;
  q.recipe.intro = 4;
  q.recipe.ending = 4;
  return q;
}

TEST(PlayTimeSong, OneMinuteAt120TrimsTheLastPhraseAndKeepsTheTempo) {
  PlayTimeSong song;
  ASSERT_EQ(PlanPlayTimeSong(OneMinuteRequest(), &song), 0);
  // Mode 0 would give 32 measures at 128 BPM (6.7 % off), so the list is
  // trimmed to 30 measures: the last phrase keeps 2 measures, melody muted.
  const std::vector<SongPhrase> expected = {
      Phrase("ﾌﾚｰｽﾞA-1", 16, kPhraseBody, 1, kFillIn2, 63),
      Phrase("ﾌﾚｰｽﾞB-1", 16, kPhraseBody, 2, kFillIn1, 63),
      Phrase("ﾌﾚｰｽﾞC-1", 16, kPhraseBody, 1, kFillIn2, 63),
      Phrase("ﾌﾚｰｽﾞD-1", 16, kPhraseBody, 2, kFillIn1, 63),
      Phrase("ﾌﾚｰｽﾞA-2", 16, kPhraseBody, 1, kFillIn2, 63),
      Phrase("ﾌﾚｰｽﾞB-2", 16, kPhraseBody, 2, kFillIn1, 63),
      Phrase("ﾌﾚｰｽﾞC-2", 16, kPhraseBody, 1, kFillIn2, 63),
      Phrase("ﾌﾚｰｽﾞD-2", 8, kPhraseBody, 2, kFillIn1, 62),
  };
  EXPECT_EQ(song.phrases, expected);
  EXPECT_EQ(song.song_ticks, 120 * 96);
  EXPECT_EQ(song.tempo, 1200000);
}

TEST(PlayTimeSong, WholeCyclesWithinFivePercentAreKept) {
  PlayTimeRequest q = OneMinuteRequest();
  q.end_time = 1860;  // 62 s: 31 measures, two cycles of 16 at 123.9 BPM
  PlayTimeSong song;
  ASSERT_EQ(PlanPlayTimeSong(q, &song), 0);
  ASSERT_EQ(song.phrases.size(), 8u);
  for (const SongPhrase& p : song.phrases) EXPECT_EQ(p.parts, kAllParts);
  EXPECT_EQ(song.song_ticks, 128 * 96);
  EXPECT_EQ(song.tempo, 1238710);  // 128 beats in 62 s
}

TEST(PlayTimeSong, TempoIsClampedBeforeFitting) {
  PlayTimeRequest q = OneMinuteRequest();
  q.standard_tempo = 250;
  q.tempo_slider = 6;  // 375 BPM unclamped
  q.recipe.melody_measures = {5};
  PlayTimeSong song;
  ASSERT_EQ(PlanPlayTimeSong(q, &song), 0);
  EXPECT_EQ(song.tempo, 3000000);  // 75 measures at 300, not 95 at 380
  EXPECT_EQ(song.song_ticks, 300 * 96);
}

TEST(PlayTimeSong, RefusesSpansWithoutRoomAndMelodiesWithoutPhrases) {
  PlayTimeSong song;
  PlayTimeRequest q = OneMinuteRequest();
  q.end_time = 0;
  EXPECT_EQ(PlanPlayTimeSong(q, &song), 1);

  q = OneMinuteRequest();
  q.end_time = 60;  // 2 s: one measure, less than intro plus ending
  q.recipe.intro = 0;
  q.recipe.intro_measures = 2;
  q.recipe.ending = 0;
  q.recipe.ending_measures = 2;
  EXPECT_EQ(PlanPlayTimeSong(q, &song), 1);

  q = OneMinuteRequest();
  q.recipe.melody_measures.clear();
  EXPECT_EQ(PlanPlayTimeSong(q, &song), 1);
  q.recipe.melody_measures = {4, 0};
  EXPECT_EQ(PlanPlayTimeSong(q, &song), 1);
}

TEST(PhraseList, IntroAndEndingFrameTheBody) {
  PhraseRecipe r;
  r.melody_measures = {4};
  r.intro = 0;
  r.intro_measures = 2;
  r.ending = 1;
  r.ending_measures = 3;
  std::vector<SongPhrase> list;
  EXPECT_EQ(BuildPhraseList(8, BuildMode::kNearestCycles, r, &list).value_or(-1), 8);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list.front(), Phrase("ｲﾝﾄﾛ1", 8, kPhraseIntro, 0, kFillInNone, 63));
  EXPECT_EQ(list.back(), Phrase("ｴﾝﾃﾞｨﾝｸﾞ2", 12, kPhraseEnding, 1, kFillInNone, 63));
}

TEST(PhraseList, StartPhraseRotatesTheMelody) {
  PhraseRecipe r;
  r.melody_measures = {1, 2, 3, 4};
  r.start_phrase = 2;
  std::vector<SongPhrase> list;
  ASSERT_EQ(BuildPhraseList(20, BuildMode::kNearestCycles, r, &list).value_or(-1), 20);
  EXPECT_EQ(NamesOf(list),
            (std::vector<std::string>{"ﾌﾚｰｽﾞC-1", "ﾌﾚｰｽﾞD-1", "ﾌﾚｰｽﾞA-1", "ﾌﾚｰｽﾞB-1", "ﾌﾚｰｽﾞC-2",
                                      "ﾌﾚｰｽﾞD-2", "ﾌﾚｰｽﾞA-2", "ﾌﾚｰｽﾞB-2"}));
  std::vector<int32_t> lengths;
  for (const SongPhrase& p : list) lengths.push_back(p.length);
  EXPECT_EQ(lengths, (std::vector<int32_t>{12, 16, 4, 8, 12, 16, 4, 8}));
}

TEST(PhraseList, TrimDropsWholePhrasesThenCutsTheLast) {
  PhraseRecipe r;
  r.melody_measures = {4, 4, 4, 4};
  std::vector<SongPhrase> list;
  // Two cycles are 32 measures; 11 too many: two phrases go, one is cut by 3.
  ASSERT_EQ(BuildPhraseList(21, BuildMode::kTrimToFit, r, &list).value_or(-1), 21);
  ASSERT_EQ(list.size(), 6u);
  EXPECT_EQ(list.back().length, 4);
  EXPECT_EQ(list.back().parts, kAllButMelody);
  EXPECT_EQ(list[4].parts, kAllParts);
}

TEST(PhraseList, LivelinessSetsTheVariations) {
  PhraseRecipe r;
  r.melody_measures = {1, 1, 1, 1};
  std::vector<SongPhrase> list;
  for (auto [liveliness, even, odd] : {std::tuple{0, 0, 0}, {2, 1, 2}, {4, 3, 3}}) {
    r.liveliness = liveliness;
    ASSERT_EQ(BuildPhraseList(4, BuildMode::kNearestCycles, r, &list).value_or(-1), 4);
    for (size_t i = 0; i < list.size(); ++i)
      EXPECT_EQ(list[i].variation, i % 2 == 0 ? even : odd) << "liveliness " << liveliness;
  }
}

TEST(FillInDefaults, OddPhrasesTakeFillIn1EvenOnesFillIn2UnlessTheRhythmSaysOtherwise) {
  EXPECT_EQ(DefaultFillIn(1, 2, 0, 80), kFillIn1);
  EXPECT_EQ(DefaultFillIn(0, 0, 0, 80), kFillIn2);
  EXPECT_EQ(DefaultFillIn(0, 2, 0, 80), kFillIn1);
  EXPECT_EQ(DefaultFillIn(0, 3, 0, 80), kFillIn1);
  EXPECT_EQ(DefaultFillIn(0, 0, 19, 16), kFillIn1);
  EXPECT_EQ(DefaultFillIn(0, 1, 19, 16), kFillIn2);
  EXPECT_EQ(DefaultFillIn(0, 2, 88, 80), kFillIn1);
  EXPECT_EQ(DefaultFillIn(0, 3, 111, 48), kFillIn2);
  EXPECT_EQ(DefaultFillIn(0, 2, 80, 0), kFillIn2);  // keys swapped: no match
}

// The song-creation button builds from the values and stores the song.
class MakeSongTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    content_.Install();
    host_dir_.emplace("make_song");
    content_.rhythms[0] = testing::StandardRhythm();
    content_.melodies.push_back({7, 4, {4, 4, 4, 4}, {2, 2}});
    for (auto [id, v] : {std::pair{kEditingMode, 0},
                         {kTimeBase, 3},
                         {kRhythm, 0},
                         {kMood, 0},
                         {kUserMelody, 0},
                         {kLiveliness, 2},
                         {kIntro, 4},
                         {kEnding, 4},
                         {kStartPhrase, 0},
                         {kTempoSlider, 3},
                         {kStartTime, 300},
                         {kEndTime, 2100}})
      WriteValue(id, v, false);
  }
  testing::TestContent content_;
  std::optional<testing::TempHostDirectory> host_dir_;
};

TEST_F(MakeSongTest, ButtonStoresPhrasesLengthTempoAndSyncPoints) {
  EXPECT_EQ(WriteValue(kCreateSongButton, 1), 0);
  EXPECT_EQ(SongPhrases().size(), 8u);
  EXPECT_EQ(ReadValue(kSongLength), 11520);
  EXPECT_EQ(ReadValue(kTempo), 1200000);
  EXPECT_EQ(ReadValue(kSync1Time), 300);
  EXPECT_EQ(ReadValue(kSync1Measure), 0);
  EXPECT_EQ(ReadValue(kSync2Time), 2100);
  EXPECT_EQ(ReadValue(kSync2Measure), 11520);
  EXPECT_TRUE(std::filesystem::exists(WorkDirectory() + "body_mid.dat"));
}

TEST_F(MakeSongTest, DarkMoodUsesTheMinorPhrases) {
  WriteValue(kMood, 1, false);
  ASSERT_EQ(MakePlayTimeSong(), 0);
  EXPECT_EQ(SongPhrases().size(), 15u);  // 30 measures of 2-measure phrases
}

TEST_F(MakeSongTest, FailureKeepsThePreviousSong) {
  ASSERT_EQ(MakePlayTimeSong(), 0);
  const std::vector<SongPhrase> before = SongPhrases();
  WriteValue(kEndTime, 300, false);
  EXPECT_EQ(MakePlayTimeSong(), 1);
  WriteValue(kEndTime, 2100, false);
  WriteValue(kRhythm, 5, false);  // no such rhythm
  EXPECT_EQ(MakePlayTimeSong(), 1);
  EXPECT_EQ(SongPhrases(), before);
  EXPECT_EQ(ReadValue(kSongLength), 11520);
}

}  // namespace
}  // namespace qm3
