// Fitting start time, end time, intro and ending of a play-time song.
#include "song/fit_check.h"

#include <gtest/gtest.h>

#include "builder_test_content.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core_test_host.h"

namespace qm3 {
namespace {

// T0 120, 4/4 at 30 frames per second: the shortest span is 127 frames
// (2 measures at 114 BPM), the longest 57029 (998 measures at 126 BPM).
FitLimits Limits() {
  FitLimits l;
  l.fps = 30;
  l.standard_tempo = 120;
  l.beats = 4;
  l.intro_measures = {2, 4, 1, 1};
  l.ending_measures = {2, 4, 1, 1};
  return l;
}

TEST(FitCheck, TimesArePushedIntoTheSpanLimits) {
  struct Case {
    FitChange change;
    FitState given;
    FitState fitted;
    int code;
  };
  const Case cases[] = {
      // End moved too close to the start: the start goes back.
      {FitChange::kEnd, {1000, 1050, 4, 4}, {923, 1050, 4, 4}, 23},
      // End below the shortest span: end = Dmin, start = 0.
      {FitChange::kEnd, {0, 10, 4, 4}, {0, 127, 4, 4}, 23},
      // End too far from the start: the start follows.
      {FitChange::kEnd, {0, 60000, 4, 4}, {2971, 60000, 4, 4}, 23},
      // Start near the largest time: it goes back to leave the shortest span.
      {FitChange::kStartOrRhythm, {1079990, 1079999, 4, 4}, {1079872, 1079999, 4, 4}, 23},
      // Start moved past the end: the end follows.
      {FitChange::kStartOrRhythm, {5000, 1800, 4, 4}, {5000, 5127, 4, 4}, 23},
      // Span too long: the end comes back.
      {FitChange::kStartOrRhythm, {0, 60000, 4, 4}, {0, 57029, 4, 4}, 23},
      // Nothing to do.
      {FitChange::kStartOrRhythm, {0, 1800, 0, 0}, {0, 1800, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    FitState s = c.given;
    EXPECT_EQ(FitSong(c.change, Limits(), &s), c.code) << c.given.start << ".." << c.given.end;
    EXPECT_EQ(s, c.fitted) << c.given.start << ".." << c.given.end;
  }
}

TEST(FitCheck, LongSectionsGiveWayToShorterOnes) {
  // 127 frames hold 2 measures at T0: intro 2 (4 measures) becomes intro 1
  // (2), then intro 3 (1) beside ending 4 (1); ending 4 is never replaced.
  FitState s{0, 127, 1, 3};
  EXPECT_EQ(FitSong(FitChange::kStartOrRhythm, Limits(), &s), 22);
  EXPECT_EQ(s, (FitState{0, 127, 2, 3}));

  // Endings follow the intro that is left: ending 2 -> 1 -> 3.
  s = {0, 127, 2, 1};
  EXPECT_EQ(FitSong(FitChange::kStartOrRhythm, Limits(), &s), 22);
  EXPECT_EQ(s, (FitState{0, 127, 2, 2}));

  // Intro 3, 4 and none stay even when they do not fit.
  s = {0, 127, 2, 0};
  EXPECT_EQ(FitSong(FitChange::kStartOrRhythm, Limits(), &s), 22);
  EXPECT_EQ(s, (FitState{0, 127, 2, 2}));
}

TEST(FitCheck, TimesAndSectionsTogetherGive24) {
  FitState s{0, 100, 1, 4};
  EXPECT_EQ(FitSong(FitChange::kEnd, Limits(), &s), 24);
  EXPECT_EQ(s, (FitState{0, 127, 0, 4}));
}

TEST(FitCheck, ChosenIntroOrEndingThatDoesNotFitIsRefused) {
  FitState s{0, 127, 1, 4};  // intro 2 (4 measures) in 2 measures
  EXPECT_EQ(FitSong(FitChange::kIntro, Limits(), &s), 21);
  EXPECT_EQ(s, (FitState{0, 127, 1, 4}));
  s = {0, 127, 0, 0};  // intro 1 and ending 1 (2 + 2) in 2 measures
  EXPECT_EQ(FitSong(FitChange::kEnding, Limits(), &s), 21);
  s = {0, 240, 0, 0};  // 4 measures: they fit
  EXPECT_EQ(FitSong(FitChange::kEnding, Limits(), &s), 0);
  EXPECT_EQ(FitSong(FitChange::kIntro, Limits(), &s), 0);
}

TEST(FitCheck, RhythmWithoutTempoIsLeftAlone) {
  FitLimits l = Limits();
  l.standard_tempo = 0;
  FitState s{1000, 1001, 1, 1};
  EXPECT_EQ(FitSong(FitChange::kEnd, l, &s), 0);
  EXPECT_EQ(s, (FitState{1000, 1001, 1, 1}));
}

// The reactions write adjusted values back and restore refused ones.
class FitReactionTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    content_.Install();
    content_.rhythms[0] = testing::StandardRhythm();
    content_.rhythms[0].intro_measures = {2, 4, 1, 1};
    for (auto [id, v] : {std::pair{kEditingMode, 0},
                         {kTimeBase, 3},
                         {kRhythm, 0},
                         {kIntro, 0},
                         {kEnding, 4},
                         {kStartTime, 0},
                         {kEndTime, 127}})
      WriteValue(id, v, false);
  }
  testing::TestContent content_;
};

TEST_F(FitReactionTest, RefusedIntroKeepsThePreviousOne) {
  EXPECT_EQ(WriteValue(kIntro, 1), 21);
  EXPECT_EQ(ReadValue(kIntro), 0);
}

TEST_F(FitReactionTest, AdjustedTimesAreWrittenBack) {
  EXPECT_EQ(WriteValue(kEndTime, 50), 23);
  EXPECT_EQ(ReadValue(kEndTime), 127);
  EXPECT_EQ(ReadValue(kStartTime), 0);
  EXPECT_EQ(WriteValue(kStartTime, 1000), 23);
  EXPECT_EQ(ReadValue(kEndTime), 1127);
}

TEST_F(FitReactionTest, NotRunOutsideSongMode) {
  WriteValue(kEditingMode, 1, false);
  EXPECT_EQ(WriteValue(kEndTime, 50), 0);
  EXPECT_EQ(ReadValue(kEndTime), 50);
}

}  // namespace
}  // namespace qm3
