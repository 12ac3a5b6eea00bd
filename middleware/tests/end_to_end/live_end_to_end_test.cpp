// A live run as a host plays it: the platform layer loads the cvusb driver,
// the software sound module serves its endpoint in this process and is the
// run's clock master, everything on the virtual clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

#include "core_test_host.h"
#include "corvane/module.h"
#include "live_test_host.h"
#include "midi/module_sender.h"
#include "platform/drivers.h"

namespace qm3 {
namespace {

using live_test::Press;
using live_test::ProcessId;
using live_test::Read;
using live_test::Recording;
using live_test::RunLog;

constexpr int kM = 96;       // clocks in a 4/4 measure
constexpr int kBallad = 72;  // the rhythm's standard tempo
constexpr double kClockUs = 2500000.0 / kBallad;

struct Step {
  long measure;  // pressed during this measure, from 1
  long id;       // the button written
};

class LiveEndToEnd : public CoreTest {
 protected:
  void SetUp() override {
    if (!live_test::HaveContent()) GTEST_SKIP() << "no generated content library";
    char dir[] = "/tmp/sonavex-live-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    runtime_ = dir;
    setenv("XDG_RUNTIME_DIR", dir, 1);
    unsetenv("SONAVEX_MODULE_SOCKET");
    setenv("SONAVEX_CVUSB_INF", "/nonexistent/usbcvmid.inf", 1);
    setenv("SONAVEX_DRIVERS", CVUSB_LIBRARY, 1);
    CoreTest::SetUp();
    CorvaneModuleOptions options{};
    options.data_dir = SONAVEX_DATA_DIR;
    options.sound_font = "";  // the wire is what is tested
    ASSERT_EQ(CorvaneModuleStart(&options), CORVANE_MODULE_OK);
    platform::ReloadDrivers();
    host_ = live_test::MakeHostFolder("live-e2e");
    SetHostDirectory(host_.string() + "/");
    ASSERT_EQ(QM3MiddleInit(hwnd_, message_), 0);
    ASSERT_TRUE(live_test::EnterLiveWindow("Piano Ballad"));
    ASSERT_EQ(Read(kTempo), kBallad);
    ASSERT_EQ(QM3SetValue(kRecordButton, 0, 1, 0), 0);
    midi::SetLiveRunObserver(log_.Observer());
    Drain();
  }
  void TearDown() override {
    live_test::LeaveLiveWindow();
    long a = 0, b = 0;
    QM3SetValue(ProcessId(kProcEnd), 0, a, b);
    CorvaneModuleStop();
    platform::ReloadDrivers();
    midi::ForgetModulePort();
    CoreTest::TearDown();
    unsetenv("SONAVEX_DRIVERS");
    if (!host_.empty()) std::filesystem::remove_all(host_);
    if (!runtime_.empty()) std::filesystem::remove_all(runtime_);
  }

  // Presses each step during its measure, as a host polling every 5 ms
  // does, until the middleware asks for stop; then stops. Returns the
  // stop's result. `during` runs once per poll with the current measure.
  template <typename During>
  int Perform(const std::vector<Step>& steps, During during) {
    size_t next = 0;
    for (int polls = 0; polls < 200000; ++polls) {
      const long measure = next == 0 ? 1 : Read(kSongLength) / 384 + 1;
      while (next < steps.size() && steps[next].measure <= measure) {
        EXPECT_EQ(Press(steps[next++].id), 0);
      }
      during(measure);
      platform::Sleep(5);
      for (const Posted& p : Drain()) {
        if (p.first == kStop) return QM3SetValue(kStop, 0, 0, 0);
      }
    }
    ADD_FAILURE() << "the run never asked to stop";
    return -1;
  }
  int Perform(const std::vector<Step>& steps) {
    return Perform(steps, [](long) {});
  }

  std::filesystem::path host_;
  std::string runtime_;
  RunLog log_;
};

TEST_F(LiveEndToEnd, ScriptedRunRecordsThirteenMeasuresAndBecomesTheSong) {
  const std::vector<Step> script = {{1, IntroButton(1)},
                                    {7, FillInButton(1)},
                                    {7, VariationButton(2)},
                                    {11, IntroButton(2)}};  // ending 2 while running
  ASSERT_EQ(Perform(script), 0);

  std::vector<std::pair<int, int>> expected;
  for (int i = 0; i < 2; ++i) expected.emplace_back(1, 0);
  for (int i = 0; i < 4; ++i) expected.emplace_back(11, 0);
  expected.emplace_back(9, 0);
  for (int i = 0; i < 4; ++i) expected.emplace_back(12, 1);
  for (int i = 0; i < 2; ++i) expected.emplace_back(6, 1);
  EXPECT_EQ(Recording(), expected);

  ASSERT_EQ(QM3SetValue(kRealTimeOk, 0, 1, 0), 0);
  const std::vector<SongPhrase>& song = SongPhrases();
  ASSERT_EQ(song.size(), 4u);
  EXPECT_EQ(song[0].Name(),
            "\xB2\xDD\xC4\xDB"
            "1");
  EXPECT_EQ(song[0].length, 2 * 4);
  EXPECT_EQ(song[1].Name(),
            "\xCC\xDA\xB0\xBD\xDE"
            "1");
  EXPECT_EQ(song[1].length, 5 * 4);
  EXPECT_EQ(song[1].fill_in, kFillIn1);
  EXPECT_EQ(song[2].Name(),
            "\xCC\xDA\xB0\xBD\xDE"
            "2");
  EXPECT_EQ(song[2].length, 4 * 4);
  EXPECT_EQ(song[2].fill_in, kFillInNone);
  EXPECT_EQ(song[3].Name(),
            "\xB4\xDD\xC3\xDE\xA8\xDD\xB8\xDE"
            "2");
  EXPECT_EQ(Read(kSongLength), 13 * 384);
  EXPECT_EQ(RealTimeSongFlag(), 1);

  // The module's clock: 24 per beat at 72 beats per minute. Each clock
  // arrives within the driver's polling steps of its place on the grid.
  const std::vector<uint64_t> clocks = log_.clocks();
  ASSERT_GE(clocks.size(), 13u * kM - 2);  // it stops two clocks before the end
  double worst = 0;
  for (size_t i = 0; i < clocks.size(); ++i) {
    const double ideal = static_cast<double>(clocks[0]) + i * kClockUs;
    worst = std::max(worst, std::abs(static_cast<double>(clocks[i]) - ideal));
  }
  EXPECT_LT(worst, 3000.0);  // the driver reads in 1 ms steps
  RecordProperty("worst_clock_offset_us", static_cast<int>(worst));
  const double beats = (clocks.size() - 1) / 24.0;
  EXPECT_NEAR((clocks.back() - clocks.front()) / beats, 60e6 / kBallad, 100.0);

  // Sections change only at bar lines: decided 13 clocks before one, or a
  // fill-in taking over the measure it was pressed in, early on.
  for (const auto& c : log_.changes()) {
    const uint64_t r = c.n % kM;
    if (c.n == 0) continue;
    if (c.section == 9 || c.section == 10) {
      EXPECT_TRUE(r == kM - 13 || r < kM - 36) << c.n;
    } else {
      EXPECT_EQ(r, kM - 13u) << c.n << " section " << c.section;
    }
  }
  // Every note the run started was ended by the time it stopped.
  EXPECT_TRUE(log_.HangingNotes().empty());
}

TEST_F(LiveEndToEnd, InputGoingAwayEndsTheRunKeepsTheRecordingAndSaysSo) {
  bool pulled = false;
  const int rc = Perform({{1, VariationButton(1)}}, [&](long measure) {
    if (measure == 4 && !pulled) {
      CorvaneModuleStop();  // the module's cable is pulled
      pulled = true;
    }
  });
  EXPECT_TRUE(pulled);
  EXPECT_EQ(rc, kRcMidiDeviceNotOpened);
  const auto recorded = Recording();
  EXPECT_GE(recorded.size(), 3u);
  EXPECT_LE(recorded.size(), 4u);
  EXPECT_EQ(Read(kRecordButton), 0);
  EXPECT_TRUE(log_.HangingNotes().empty());
  ASSERT_EQ(QM3SetValue(kRealTimeOk, 0, 1, 0), 0);
  EXPECT_EQ(Read(kSongLength), static_cast<long>(recorded.size()) * 384);
}

TEST_F(LiveEndToEnd, FadeOutRunsThreeSecondsAndEndsTheRun) {
  // 4/4 at 120: a fade asked for early in a measure lasts just under two
  // measures and becomes a 3-second fade of the song.
  ASSERT_EQ(QM3SetValue(kTempo, 0, 120, 0), 0);
  ASSERT_EQ(Perform({{1, VariationButton(1)}, {3, kFadeOutButton}}), 0);
  EXPECT_EQ(Read(kFadeOut), 1);
  EXPECT_EQ(Read(kFadeOutSeconds), 3);
  EXPECT_GE(Recording().size(), 4u);
  EXPECT_TRUE(log_.HangingNotes().empty());
}

}  // namespace
}  // namespace qm3
