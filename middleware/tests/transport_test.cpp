// The transport through the host's calls, on the virtual clock: a composed
// one-minute song plays to a loopback port named like the sound module's;
// clocks arrive every 4 ticks at the song's tempo, the pointer is posted in
// 12-tick steps only after the host acknowledged the previous post, and a
// song refuses to play on another port.
#include "midi/transport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core_test_host.h"
#include "midi/module_sender.h"
#include "platform/loopback.h"

namespace qm3 {
namespace {

constexpr const char* kModulePort = "Corvane USB MIDI OUT 1";

long ProcessId(int n) {
  return 0x8000 + n;
}

class TransportTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    if (!std::filesystem::exists(std::string(SONAVEX_DATA_DIR) + "/QM3RHY.toc")) {
      GTEST_SKIP() << "no generated content library";
    }
    platform::RemoveAllLoopbackPorts();
    ASSERT_EQ(platform::CreateLoopbackOutput("Another synth"), 0);
    ASSERT_EQ(platform::CreateLoopbackOutput(kModulePort), 0);
    // A private host folder that links the library, so the work files of
    // this test never meet those of another test running at the same time.
    namespace fs = std::filesystem;
    dir_ = fs::temp_directory_path() / ("sonavex-transport-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    for (const auto& entry : fs::directory_iterator(SONAVEX_DATA_DIR)) {
      const std::string name = entry.path().filename().string();
      if (name.find("_mid.dat") != std::string::npos && name.rfind("src") == std::string::npos &&
          name.find("chord") == std::string::npos) {
        continue;  // work files of other runs
      }
      fs::create_symlink(entry.path(), dir_ / name);
    }
    SetHostDirectory(dir_.string() + "/");
    ASSERT_EQ(QM3MiddleInit(hwnd_, message_), 0);
    ASSERT_EQ(QM3SetValue(kMenuNewPlayTimeSong, 0, 1, 0), 0);
    ASSERT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4203, 0), 0);
    ASSERT_EQ(QM3SetValue(kEndTime, 0, 1800, 0), 0);  // one minute at 30 fps
    ASSERT_EQ(QM3SetValue(kCreateSongButton, 0, 1, 0), 0);
    ASSERT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4205, 0), 0);
    Drain();
  }
  void TearDown() override {
    midi::StopAndWait();
    platform::RemoveAllLoopbackPorts();
    midi::ForgetModulePort();
    CoreTest::TearDown();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;

  bool Playing() {
    long a = 0, b = 0;
    QM3GetValue(ProcessId(kProcPlayingNow), 0, &a, &b);
    return a != 0;
  }
};

TEST_F(TransportTest, SongPlaysWithExactClocksAndAcknowledgedPointerSteps) {
  platform::TakeLoopbackOutput(kModulePort);
  ASSERT_EQ(QM3SetValue(kPlay, 0, 1, 0), 0);
  std::vector<long> posted;
  bool unacknowledged = false;
  int double_posts = 0;
  int step = 0;
  while (Playing()) {
    platform::Sleep(5);
    for (const Posted& p : Drain()) {
      if (p.first != 0x8003) continue;
      if (unacknowledged) ++double_posts;
      unacknowledged = true;
      long pos = 0, b = 0;
      QM3GetValue(ProcessId(kProcPointerPos), 0, &pos, &b);
      posted.push_back(pos);
    }
    // The host acknowledges only every third time it looks.
    if (unacknowledged && ++step % 3 == 0) {
      Get(kPointerTicks);
      unacknowledged = false;
    }
  }
  EXPECT_EQ(double_posts, 0);
  ASSERT_GT(posted.size(), 100u);
  for (size_t i = 0; i < posted.size(); ++i) {
    EXPECT_EQ(posted[i] % 12, 0) << i;
    if (i > 0) {
      EXPECT_GE(posted[i], posted[i - 1]);
    }
  }
  const long song_length = Get(kSongLength);
  EXPECT_GE(posted.back(), song_length - 12);

  // Clock bytes every 4 ticks at the song's tempo (the host sees whole BPM;
  // the exact tempo is in the song edit value, 1/100 BPM). The play starts
  // 12 clocks before the first beat, in the count-in measure at the rhythm's
  // standard tempo.
  const double usec_per_tick = 60e6 / (Get(kEditTempo) / 100.0) / 96.0;
  std::vector<uint64_t> clocks;
  for (const auto& m : platform::TakeLoopbackOutput(kModulePort)) {
    if (m.bytes.size() == 1 && m.bytes[0] == 0xF8) clocks.push_back(m.time_us);
  }
  ASSERT_GT(clocks.size(), static_cast<size_t>(song_length / 4));
  for (size_t i = 13; i < clocks.size(); ++i) {
    ASSERT_NEAR(static_cast<double>(clocks[i] - clocks[i - 1]), 4 * usec_per_tick, 2.0) << i;
  }
  EXPECT_EQ(Get(kPlay), 0);  // the play button is released at the end
}

TEST_F(TransportTest, SongRefusesAnotherPort) {
  ASSERT_EQ(QM3SetValue(kMidiOutDevice, 0, 0, 0), 0);  // "Another synth"
  EXPECT_EQ(QM3SetValue(kPlay, 0, 1, 0), 26);
  EXPECT_EQ(Get(kPlay), 0);
  EXPECT_FALSE(Playing());
}

}  // namespace
}  // namespace qm3
