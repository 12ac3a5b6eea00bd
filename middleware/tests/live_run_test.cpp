// The live run's section engine, clock by clock: loopback ports named like
// the sound module's stand in for it, and the test hands the run each MIDI
// clock itself, so every decision is seen at the clock it was made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core_test_host.h"
#include "live_test_host.h"
#include "midi/module_sender.h"
#include "midi/transport.h"
#include "platform/loopback.h"
#include "song/live_song.h"

namespace qm3 {
namespace {

using live_test::Press;
using live_test::ProcessId;
using live_test::Read;
using live_test::Recording;
using live_test::RunLog;

constexpr const char* kOut = "Corvane USB MIDI OUT 1";
constexpr const char* kIn = "Corvane USB MIDI IN 1";
constexpr int kM = 96;  // clocks in a 4/4 measure

class LiveRunTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    if (!live_test::HaveContent()) GTEST_SKIP() << "no generated content library";
    platform::RemoveAllLoopbackPorts();
    ASSERT_EQ(platform::CreateLoopbackOutput("Another synth"), 0);
    ASSERT_EQ(platform::CreateLoopbackOutput(kOut), 0);
    ASSERT_EQ(platform::CreateLoopbackInput(kIn), 0);
    dir_ = live_test::MakeHostFolder("live-run");
    SetHostDirectory(dir_.string() + "/");
    ASSERT_EQ(QM3MiddleInit(hwnd_, message_), 0);
    // 4/4, intro 1 and ending 2 of two measures each.
    ASSERT_TRUE(live_test::EnterLiveWindow("Piano Ballad"));
    ASSERT_EQ(QM3SetValue(kTempo, 0, 120, 0), 0);
    midi::SetLiveRunObserver(log_.Observer());
    Drain();
  }
  void TearDown() override {
    live_test::LeaveLiveWindow();
    platform::RemoveAllLoopbackPorts();
    midi::ForgetModulePort();
    CoreTest::TearDown();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // Hands the run clocks until `n` clocks have been handled in all.
  void ClockTo(uint64_t n) {
    const uint8_t clock = 0xF8;
    for (; clocks_ < n; ++clocks_) platform::InjectLoopbackInput(kIn, &clock, 1);
  }
  // The clock that handles a press made now.
  uint64_t next() const { return clocks_; }

  // The sections entered, with the clock that entered them.
  std::vector<std::pair<uint64_t, int>> SectionsEntered() {
    std::vector<std::pair<uint64_t, int>> out;
    for (const auto& c : log_.changes()) out.emplace_back(c.n, c.section);
    return out;
  }
  bool StopPosted() {
    for (const Posted& p : Drain()) {
      if (p.first == kStop) return true;
    }
    return false;
  }

  std::filesystem::path dir_;
  RunLog log_;
  uint64_t clocks_ = 0;
};

using Entered = std::vector<std::pair<uint64_t, int>>;

TEST_F(LiveRunTest, IntroLeadsToMainAtTheBarLineDecidedThirteenClocksBefore) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(IntroButton(1)), 0);
  EXPECT_EQ(Read(IntroLamp(1)), 1);
  ClockTo(4 * kM);
  // Two intro measures, then main 1 decided at r = 83 of the second.
  EXPECT_EQ(SectionsEntered(), (Entered{{0, 1}, {kM + 83, 11}}));
  EXPECT_EQ(log_.SectionSends(0x0A, 1), (std::vector<uint64_t>{0}));
  EXPECT_EQ(log_.SectionSends(0x09, 0), (std::vector<uint64_t>{kM + 83}));
  EXPECT_EQ(Read(VariationLamp(1)), 1);
  EXPECT_EQ(Read(IntroLamp(1)), 0);
  // The melody cycle takes over two clocks before the bar line: whatever
  // the intro material still held is let go there.
  for (const auto& s : log_.sent()) {
    if ((s.message & 0xF0) == 0x80 && s.n >= kM && s.n < 2 * kM) {
      EXPECT_EQ(s.n, kM + 94u);
    }
  }
  // The main volume goes out on the run's own port, from the clock after.
  ASSERT_EQ(QM3SetValue(kMainVolume, 0, 5, 0), 0);
  ClockTo(4 * kM + 1);
  int volume_sends = 0;
  for (const auto& l : log_.long_sent()) {
    if (l.bytes.size() == 17 && l.bytes[6] == 0x01 && l.bytes[12] == 3 && l.bytes[13] == 0xF) {
      ++volume_sends;
      EXPECT_EQ(l.n, 4u * kM);
    }
  }
  EXPECT_EQ(volume_sends, 1);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  EXPECT_EQ(Recording(),
            (std::vector<std::pair<int, int>>{{1, 0}, {1, 0}, {11, 0}, {11, 0}, {11, 0}}));
  EXPECT_EQ(Read(kSongLength), 5 * 384);
  EXPECT_EQ(Read(kRecordButton), 0);
}

TEST_F(LiveRunTest, FillInStartsAtOnceOnlyBeforeThirtySixClocksFromTheBarLine) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(kM + 59);  // the press is handled at r = 59 of the second measure
  ASSERT_EQ(Press(FillInButton(1)), 0);
  ClockTo(3 * kM + 59);  // r = 60 of the fourth measure: too late, it waits
  ClockTo(3 * kM + 60);
  ASSERT_EQ(Press(FillInButton(1)), 0);
  ClockTo(6 * kM);
  EXPECT_EQ(SectionsEntered(),
            (Entered{{0, 11}, {kM + 59, 9}, {kM + 83, 11}, {3 * kM + 83, 9}, {4 * kM + 83, 11}}));
  // The fill-in's reset goes out at r = 64 of each fill-in measure.
  EXPECT_EQ(log_.SectionSends(0x0C, 0), (std::vector<uint64_t>{kM + 64, 4 * kM + 64}));
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  // The immediate fill-in took over the measure it started in.
  EXPECT_EQ(Recording(),
            (std::vector<std::pair<int, int>>{{11, 0}, {9, 0}, {11, 0}, {11, 0}, {9, 0}, {11, 0}}));
}

TEST_F(LiveRunTest, FillInUpFromTheTopAndDownFromTheBottomComeBackAndTheLastPressWins) {
  ASSERT_EQ(Press(VariationButton(4)), 0);
  ClockTo(10);
  ASSERT_EQ(Press(FillInButton(2)), 0);  // up from variation 4
  ClockTo(kM + 10);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(2 * kM + 10);
  ASSERT_EQ(Press(FillInButton(1)), 0);  // down from variation 1
  ClockTo(3 * kM + 10);
  ASSERT_EQ(Press(VariationButton(2)), 0);  // twice in one measure
  ASSERT_EQ(Press(VariationButton(3)), 0);
  ClockTo(5 * kM);
  EXPECT_EQ(SectionsEntered(), (Entered{{0, 14},
                                        {10, 10},
                                        {83, 14},
                                        {kM + 83, 11},
                                        {2 * kM + 10, 9},
                                        {2 * kM + 83, 11},
                                        {3 * kM + 83, 13}}));
}

TEST_F(LiveRunTest, EndingFinishesTheRunAndLaterButtonsAreIgnored) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(5);
  ASSERT_EQ(Press(IntroButton(2)), 0);  // ending 2 while running
  ClockTo(kM + 5);
  ASSERT_EQ(Press(VariationButton(3)), 0);  // ignored during the ending
  ASSERT_EQ(Press(FillInButton(1)), 0);
  ClockTo(3 * kM - 3);
  EXPECT_FALSE(StopPosted());
  ClockTo(3 * kM - 1);  // r = M - 2 with the run finished
  EXPECT_TRUE(StopPosted());
  ClockTo(3 * kM + 50);
  EXPECT_EQ(SectionsEntered(), (Entered{{0, 11}, {83, 6}, {2 * kM + 83, 15}}));
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  // The finished measure after the ending plays nothing and is not kept.
  EXPECT_EQ(Recording(), (std::vector<std::pair<int, int>>{{11, 0}, {6, 0}, {6, 0}}));
  ASSERT_EQ(QM3SetValue(kRealTimeOk, 0, 1, 0), 0);
  EXPECT_EQ(Read(kIntro), 4);
  EXPECT_EQ(Read(kEnding), 1);
}

TEST_F(LiveRunTest, RecordSwitchPressedAgainStopsAsAWriteOfZeroDoes) {
  // The window's switch writes 1 on every press.
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(kM + 10);
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  EXPECT_EQ(Read(kRecordButton), 0);
  ClockTo(2 * kM);
  EXPECT_TRUE(StopPosted());
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  EXPECT_EQ(Recording().size(), 2u);
  EXPECT_EQ(Get(kRealTimeOk, 2), 1);
  // Armed without a run, a second press disarms and gives the controls back.
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  EXPECT_EQ(Read(kRecordButton), 1);
  EXPECT_EQ(Get(kTempo, 2), 0);
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  EXPECT_EQ(Read(kRecordButton), 0);
  EXPECT_EQ(Get(kTempo, 2), 1);
}

TEST_F(LiveRunTest, RecordSwitchOffEndsTheRunAtTheBarLineWithSilence) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  EXPECT_EQ(Get(kRealTimeOk, 2), 0);
  EXPECT_EQ(Get(kTempo, 2), 0);
  ASSERT_EQ(Press(VariationButton(2)), 0);
  ClockTo(2 * kM + 40);
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 0, 0), 0);
  ClockTo(3 * kM - 1);
  EXPECT_FALSE(StopPosted());
  ClockTo(3 * kM);  // the last clock of the measure ends it
  EXPECT_TRUE(StopPosted());
  bool stop_sent = false;
  for (const auto& s : log_.sent()) stop_sent |= s.message == 0xFC && s.n == 3 * kM - 1;
  EXPECT_TRUE(stop_sent);
  EXPECT_TRUE(log_.HangingNotes().empty());
  ClockTo(4 * kM);  // clocks after the end are not handled
  EXPECT_EQ(log_.clocks().size(), 3u * kM);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  EXPECT_EQ(Recording().size(), 3u);
  EXPECT_EQ(Read(kSongLength), 3 * 384);
  EXPECT_EQ(Get(kRealTimeOk, 2), 1);
  EXPECT_EQ(Get(kTempo, 2), 1);
  EXPECT_EQ(Read(kFadeOut), 0);
  EXPECT_EQ(Get(kFadeOutSeconds, 2), 0);
  // No ending recorded: the song has none; no intro either.
  ASSERT_EQ(QM3SetValue(kRealTimeOk, 0, 1, 0), 0);
  EXPECT_EQ(Read(kIntro), 4);
  EXPECT_EQ(Read(kEnding), 4);
  EXPECT_EQ(SongPhrases().size(), 1u);
}

TEST_F(LiveRunTest, FadeOutTakesTwentyStepsOverTwoMeasuresAndBecomesTheSongsFade) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(kM + 10);
  ASSERT_EQ(Press(kFadeOutButton), 0);  // handled at r = 10, starts at r = 12
  ClockTo(kM + 12 + 180);
  EXPECT_FALSE(StopPosted());
  ClockTo(kM + 12 + 181);  // one step after the last
  EXPECT_TRUE(StopPosted());
  std::vector<int> melody_volumes;
  for (const auto& s : log_.sent()) {
    if ((s.message & 0xFFFF) == 0x07B0 && s.n > 0) melody_volumes.push_back(s.message >> 16);
  }
  ASSERT_EQ(melody_volumes.size(), 20u);
  EXPECT_EQ(melody_volumes.front(), 106 * 19 / 20);  // the rhythm's melody volume
  EXPECT_EQ(melody_volumes.back(), 0);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  // 180 clocks at 120 beats per minute: floor(180 * 2.5 / 120) = 3 seconds.
  EXPECT_EQ(Read(kFadeOut), 1);
  EXPECT_EQ(Read(kFadeOutSeconds), 3);
  EXPECT_EQ(Get(kFadeOutSeconds, 2), 1);
}

TEST_F(LiveRunTest, MeasureLimitEndsTheRunAndBoundsTheRecording) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(uint64_t{midi::kMaxRunMeasures} * kM - 1);
  Drain();
  ClockTo(uint64_t{midi::kMaxRunMeasures} * kM);
  EXPECT_TRUE(StopPosted());
  ClockTo(uint64_t{midi::kMaxRunMeasures} * kM + kM);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  EXPECT_EQ(Recording().size(), static_cast<size_t>(midi::kMaxRunMeasures));
  ASSERT_EQ(QM3SetValue(kRealTimeOk, 0, 1, 0), 0);
  EXPECT_EQ(Read(kSongLength), midi::kMaxRunMeasures * 384);
}

TEST_F(LiveRunTest, ButtonsNeedTheModulesPortAndStartARunWhenNoneIsOn) {
  ASSERT_EQ(QM3SetValue(kMidiOutDevice, 0, 0, 0), 0);  // "Another synth"
  EXPECT_EQ(Press(VariationButton(1)), kRcWrongOutputDevice);
  EXPECT_TRUE(SectionsEntered().empty());
  ASSERT_EQ(QM3SetValue(kMidiOutDevice, 0, 1, 0), 0);
  // Fade-out, record and stop with no run do nothing.
  EXPECT_EQ(Press(kFadeOutButton), 0);
  EXPECT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  EXPECT_TRUE(SectionsEntered().empty());
  ASSERT_EQ(Press(FillInButton(2)), 0);
  ClockTo(kM);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  // After stop, a press starts a new run (clock count from 0 again).
  clocks_ = 0;
  ASSERT_EQ(Press(IntroButton(3)), 0);
  ClockTo(10);
  EXPECT_EQ(SectionsEntered(), (Entered{{0, 10}, {83, 12}, {0, 3}}));
}

TEST_F(LiveRunTest, RecordingSwitchedOnDuringARunStartsAtTheNextMeasure) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(2 * kM);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  ASSERT_EQ(Recording().size(), 2u);
  // A second run, recording only from its second measure on: the first
  // run's measures are not carried over.
  clocks_ = 0;
  ASSERT_EQ(Press(VariationButton(3)), 0);
  ClockTo(kM + 10);
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ClockTo(3 * kM);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  EXPECT_EQ(Recording(), (std::vector<std::pair<int, int>>{{13, 2}}));
}

// The source files process 48 names, as a host reads them.
std::vector<std::string> SkippedFiles() {
  long a = 0, b = 0;
  std::vector<std::string> out;
  if (QM3GetValue(ProcessId(kProcGetSkippedFiles), 0, &a, &b) != 0 || a == 0) return out;
  const auto* files = reinterpret_cast<const QM3SkippedFiles*>(a);
  for (int i = 0; i < files->nCount; ++i) out.emplace_back(files->ppszPath[i]);
  return out;
}

TEST_F(LiveRunTest, AnUnreadableSourceIsNamedToTheHostAndTheRunPlaysOn) {
  const std::filesystem::path intro = dir_ / "I_src_mid.dat";
  const std::filesystem::path library = std::filesystem::read_symlink(intro);
  std::filesystem::remove(intro);
  std::ofstream(intro, std::ios::binary) << "MThd cut short";
  ASSERT_EQ(Press(IntroButton(1)), 0);
  bool notified = false;
  for (const Posted& p : Drain()) notified |= p.first == ProcessId(kProcGetSkippedFiles);
  EXPECT_TRUE(notified);
  EXPECT_EQ(SkippedFiles(), std::vector<std::string>{intro.string()});
  ClockTo(2 * kM);
  EXPECT_EQ(SectionsEntered(), (Entered{{0, 1}, {kM + 83, 11}}));
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);

  // With the file back, the next run names nothing.
  std::filesystem::remove(intro);
  std::filesystem::create_symlink(library, intro);
  Drain();
  ASSERT_EQ(Press(VariationButton(1)), 0);
  for (const Posted& p : Drain()) EXPECT_NE(p.first, ProcessId(kProcGetSkippedFiles));
  EXPECT_TRUE(SkippedFiles().empty());
}

TEST_F(LiveRunTest, LeavingTheWindowStopsTheRunAndOkMadeTheSong) {
  ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
  ASSERT_EQ(Press(VariationButton(1)), 0);
  ClockTo(2 * kM + 5);
  ASSERT_EQ(QM3SetValue(kRealTimeOk, 0, 1, 0), 0);
  EXPECT_EQ(SongPhrases().size(), 1u);
  EXPECT_EQ(SongPhrases()[0].length, 3 * 4);
  EXPECT_EQ(Read(kSongLength), 3 * 384);
  EXPECT_EQ(RealTimeSongFlag(), 1);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4205, 0), 0);
  EXPECT_EQ(Get(kMenuUndo, 2), 0);
  EXPECT_TRUE(log_.HangingNotes().empty());
}

// ---- the song made from a recording ------------------------------------------

struct Recorded {
  std::vector<uint8_t> sections, variations;
  void Add(int section, int variation, int measures) {
    for (int i = 0; i < measures; ++i) {
      sections.push_back(static_cast<uint8_t>(section));
      variations.push_back(static_cast<uint8_t>(variation));
    }
  }
  RecordedSong Song() const {
    return SongFromRecording(sections.data(), variations.data(), static_cast<int>(sections.size()),
                             4, {2, 4, 2, 2}, {2, 2, 1, 1});
  }
};

std::string Describe(const SongPhrase& p) {
  return std::string(p.Name()) + "/" + std::to_string(p.length / 4) + "/" + std::to_string(p.kind) +
         "/" + std::to_string(p.variation) + "/" + std::to_string(p.fill_in);
}

std::vector<std::string> Describe(const RecordedSong& song) {
  std::vector<std::string> out;
  for (const SongPhrase& p : song.phrases) out.push_back(Describe(p));
  return out;
}

TEST(SongFromRecording, RunsOfSectionsBecomePhrasesWithTheirFillIns) {
  Recorded r;
  r.Add(1, 0, 2);
  r.Add(11, 0, 4);
  r.Add(9, 0, 1);
  r.Add(12, 1, 4);
  r.Add(6, 1, 2);
  const RecordedSong song = r.Song();
  EXPECT_EQ(song.intro, 0);
  EXPECT_EQ(song.ending, 1);
  EXPECT_EQ(Describe(song), (std::vector<std::string>{"\xB2\xDD\xC4\xDB"
                                                      "1/2/0/0/2",
                                                      "\xCC\xDA\xB0\xBD\xDE"
                                                      "1/5/2/0/0",
                                                      "\xCC\xDA\xB0\xBD\xDE"
                                                      "2/4/2/1/2",
                                                      "\xB4\xDD\xC3\xDE\xA8\xDD\xB8\xDE"
                                                      "2/2/1/1/2"}));
}

TEST(SongFromRecording, NoIntroNoEndingFillInAloneAndCutEnding) {
  Recorded r;
  r.Add(13, 2, 2);
  r.Add(10, 2, 2);  // two fill-in measures join the run before them
  r.Add(10, 3, 1);
  EXPECT_EQ(Describe(r.Song()), (std::vector<std::string>{"\xCC\xDA\xB0\xBD\xDE"
                                                          "1/5/2/2/1"}));
  EXPECT_EQ(r.Song().intro, 4);
  EXPECT_EQ(r.Song().ending, 4);

  Recorded fill_first;
  fill_first.Add(9, 0, 1);
  fill_first.Add(11, 0, 2);
  fill_first.Add(5, 0, 1);  // stopped one measure into a two-measure ending
  EXPECT_EQ(Describe(fill_first.Song()),
            (std::vector<std::string>{"\xCC\xDA\xB0\xBD\xDE"
                                      "1/1/2/0/0",
                                      "\xCC\xDA\xB0\xBD\xDE"
                                      "2/2/2/0/2",
                                      "\xB4\xDD\xC3\xDE\xA8\xDD\xB8\xDE"
                                      "1/1/1/0/2"}));
}

}  // namespace
}  // namespace qm3
