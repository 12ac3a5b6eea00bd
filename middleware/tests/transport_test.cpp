// The transport through the host's calls, on the virtual clock: a composed
// one-minute song plays to a loopback port named like the sound module's;
// clocks arrive every 4 ticks at the song's tempo, the pointer is posted in
// 12-tick steps only after the host acknowledged the previous post, and a
// song refuses to play on another port.
#include "midi/transport.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../../midi/tests/smf_bytes.h"
#include "core_test_host.h"
#include "midi/input_capture.h"
#include "midi/module_messages.h"
#include "midi/module_sender.h"
#include "midi/sequence_file.h"
#include "platform/audio_source.h"
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

// A MIDI file plays; a part's volume changed meanwhile is heard at once, not
// at the next play.
TEST_F(TransportTest, PartEditDuringAMidiFilesPlayReachesTheModuleAtOnce) {
  using midibytes::testing::AddTrack;
  using midibytes::testing::Header;
  auto smf = Header(0, 1, 480);  // 120 BPM: a note of 8 beats (4 s), then 8 beats more
  AddTrack(smf, {0x00, 0xC1, 48,   0x00, 0xB1, 7,    90, 0x00, 0x91, 60,   100,  0x9E, 0x00,
                 0x81, 60,   0x00, 0x9E, 0x00, 0x81, 60, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  const std::string path = (dir_ / "part edit.mid").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(smf.data()), static_cast<std::streamsize>(smf.size()));
  ASSERT_EQ(QM3SetValue(ProcessId(kProcOpenFile), 0, 0, reinterpret_cast<long>(path.c_str())), 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4207, 0), 0);
  Drain();
  platform::TakeLoopbackOutput(kModulePort);
  ASSERT_EQ(QM3SetValue(kPlay, 0, 1, 0), 0);
  platform::Sleep(1500);
  ASSERT_TRUE(Playing());
  const uint64_t edited_us = platform::GetMicroseconds();
  ASSERT_EQ(QM3SetValue(QM3_ID_PART_VOLUME(2), 0, 33, 0), 0);
  while (Playing()) {
    platform::Sleep(5);
    Drain();
  }
  const uint64_t ended_us = platform::GetMicroseconds();
  uint64_t heard_us = 0, on_us = 0, off_us = 0;
  for (const auto& m : platform::TakeLoopbackOutput(kModulePort)) {
    if (m.bytes == std::vector<uint8_t>{0xB1, 7, 33} && heard_us == 0) heard_us = m.time_us;
    if (m.bytes == std::vector<uint8_t>{0x91, 60, 100}) on_us = m.time_us;
    if (m.bytes == std::vector<uint8_t>{0x81, 60, 0} && off_us == 0) off_us = m.time_us;
  }
  // The long wait, sent in pieces, still lasts exactly its 8 beats.
  EXPECT_NEAR(static_cast<double>(off_us - on_us), 4e6, 2000.0);
  ASSERT_NE(heard_us, 0u) << "the new volume never reached the module";
  EXPECT_GE(heard_us, edited_us);
  EXPECT_LT(heard_us - edited_us, 400000u);
  EXPECT_LT(heard_us, ended_us - 1000000u) << "heard only at the end";
}

// Enabled states as the host reads them (cCmd 2).
bool Alive(long id) {
  long alive = 0, b = 0;
  QM3GetValue(id, 2, &alive, &b);
  return alive != 0;
}

TEST_F(TransportTest, ButtonsEnabledFollowPlayAndStop) {
  EXPECT_FALSE(Alive(kStop));
  ASSERT_EQ(QM3SetValue(kPlay, 0, 1, 0), 0);
  EXPECT_TRUE(Alive(kStop));
  EXPECT_FALSE(Alive(kPlay));
  EXPECT_TRUE(Alive(kReturnToTop));  // a play continues from where they move it
  platform::Sleep(200);
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  EXPECT_FALSE(Playing());
  EXPECT_FALSE(Alive(kStop));
  EXPECT_TRUE(Alive(kPlay));
  EXPECT_TRUE(Alive(kFastForward));

  // A refused play changes nothing.
  ASSERT_EQ(QM3SetValue(kMidiOutDevice, 0, 0, 0), 0);
  EXPECT_EQ(QM3SetValue(kPlay, 0, 1, 0), 26);
  EXPECT_FALSE(Alive(kStop));
  EXPECT_TRUE(Alive(kPlay));
}

// What the module received since the last look.
struct ModuleSaw {
  bool gm_off = false;
  bool play_mode_2_after_gm_off = false;
  int channels_cleared = 0;
};
ModuleSaw TakeModuleOutput() {
  ModuleSaw saw;
  const std::vector<uint8_t> gm_off = {0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7};
  const midi::ParameterMessage p = midi::MakePlayMode(2);
  const std::vector<uint8_t> play_mode(p.bytes.begin(), p.bytes.begin() + p.size);
  for (const auto& m : platform::TakeLoopbackOutput(kModulePort)) {
    if (m.bytes == gm_off) saw.gm_off = true;
    if (saw.gm_off && m.bytes == play_mode) saw.play_mode_2_after_gm_off = true;
    if (m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0xB0 && m.bytes[1] == 0x7B) {
      ++saw.channels_cleared;
    }
  }
  return saw;
}

// A new song from the welcome window and a switch back to song mode reset
// the player: playback stops, the parts are cleared, General MIDI goes off
// and the module plays in the system's own mode.
TEST_F(TransportTest, ResettingThePlayerClearsThePartsAndSetsTheSongPlayMode) {
  ASSERT_EQ(QM3SetValue(kPlay, 0, 1, 0), 0);
  platform::Sleep(100);
  TakeModuleOutput();
  ASSERT_EQ(QM3SetValue(ProcessId(kProcInitialMenu), 0, 0, 0), 0);
  EXPECT_FALSE(Playing());
  ModuleSaw saw = TakeModuleOutput();
  EXPECT_GE(saw.channels_cleared, 16);
  EXPECT_TRUE(saw.play_mode_2_after_gm_off);

  // Opening a file (choices 2 to 5) sends nothing.
  ASSERT_EQ(QM3SetValue(ProcessId(kProcInitialMenu), 0, 3, 0), 0);
  saw = TakeModuleOutput();
  EXPECT_FALSE(saw.gm_off);
  EXPECT_EQ(saw.channels_cleared, 0);

  ASSERT_EQ(QM3SetValue(kEditingMode, 0, 1, 0), 0);
  TakeModuleOutput();
  ASSERT_EQ(QM3SetValue(kEditingMode, 0, 0, 0), 0);
  saw = TakeModuleOutput();
  EXPECT_TRUE(saw.play_mode_2_after_gm_off);
  EXPECT_GE(saw.channels_cleared, 16);
}

TEST_F(TransportTest, TopRewindAndFastForwardMoveThePointerByMeasures) {
  long one = 1, measure = 0;
  ASSERT_EQ(QM3GetValue(ProcessId(kProcMeas2Tick), 0, &one, &measure), 0);
  ASSERT_EQ(QM3SetValue(kFastForward, 0, 1, 0), 0);
  ASSERT_EQ(QM3SetValue(kFastForward, 0, 1, 0), 0);
  EXPECT_EQ(Get(kPointerTicks), 2 * measure);
  ASSERT_EQ(QM3SetValue(kRewind, 0, 1, 0), 0);
  EXPECT_EQ(Get(kPointerTicks), measure);
  ASSERT_EQ(QM3SetValue(kReturnToTop, 0, 1, 0), 0);
  EXPECT_EQ(Get(kPointerTicks), 0);
  ASSERT_EQ(QM3SetValue(kRewind, 0, 1, 0), 0);  // never before the song
  EXPECT_EQ(Get(kPointerTicks), 0);
}

// A host's event loop: it blocks in poll() on the window's descriptor, outside
// every middleware call, and wakes for the pointer step the play thread posts.
TEST_F(TransportTest, HostBlockedInPollWakesForThePlayThreadsPointerPost) {
  platform::UseRealClock();  // poll() waits on real time
  ASSERT_EQ(QM3SetValue(kPlay, 0, 1, 0), 0);
  Drain();             // what the play call itself posted
  Get(kPointerTicks);  // acknowledge, so the next step is posted
  const int fd = platform::HostWindowDescriptor(hwnd_);
  ASSERT_GE(fd, 0);
  bool pointer_posted = false;
  for (int wakes = 0; wakes < 50 && !pointer_posted; ++wakes) {
    pollfd ready{fd, POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 5000), 1) << "no notification while the song plays";
    for (const Posted& p : Drain()) pointer_posted |= p.first == ProcessId(kProcPointerPos);
  }
  EXPECT_TRUE(pointer_posted);
  pollfd drained{fd, POLLIN, 0};
  EXPECT_EQ(poll(&drained, 1, 0), 0) << "drained: the descriptor is quiet";
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  midi::StopAndWait();
}

// A host with two threads calls while the song plays on the real clock: the
// calls run one at a time, the play thread's pointer steps arrive through
// the host thread's calls, and the song ends as it would with one caller.
TEST_F(TransportTest, CallsFromTwoHostThreadsDuringAPlay) {
  platform::UseRealClock();
  ASSERT_EQ(QM3SetValue(kPlay, 0, 1, 0), 0);
  const auto caller = [](int seed) {
    char text[256];
    for (int i = 0; i < 400; ++i) {
      long a = 0, b = 0;
      QM3GetValue(ProcessId(kProcPointerPos), 0, &a, &b);
      QM3GetValueStr(kPointerTime, (seed + i) % 1800, text);
      QM3GetValue(ProcessId(kProcPlayingNow), 0, &a, &b);
      QM3GetValue(kStartPhrase, 0, &a, &b);
    }
  };
  std::thread first(caller, 0), second(caller, 7);
  first.join();
  second.join();
  EXPECT_TRUE(Playing());
  ASSERT_EQ(QM3SetValue(kStop, 0, 0, 0), 0);
  midi::StopAndWait();
  EXPECT_FALSE(Playing());
  EXPECT_EQ(Get(kPlay), 0);
}

// A stand-in for the module's audio: a quiet hum with a loud tone.
uint32_t RenderTone(void*, uint64_t from_us, int16_t* out, uint32_t frames) {
  for (uint32_t i = 0; i < frames; ++i) {
    const uint64_t frame = from_us * 441 / 10000 + i;
    const int16_t v = static_cast<int16_t>(frame % 100 < 50 ? 3000 : -3000);
    out[2 * i] = out[2 * i + 1] = v;
  }
  return frames;
}

class ConversionTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(platform::CreateLoopbackInput("Corvane USB MIDI IN 1"), 0);
    platform::WAVEFORMATEX f{platform::WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    platform::AudioSourceOps ops;
    ops.render = RenderTone;
    ASSERT_EQ(platform::RegisterAudioSource("Corvane USB Audio", f, ops), 0);
  }
  void TearDown() override {
    platform::UnregisterAudioSource("Corvane USB Audio");
    TransportTest::TearDown();
  }
  int Start(int process, const std::string& path) {
    return QM3SetValue(ProcessId(process), 0, 0, reinterpret_cast<long>(path.c_str()));
  }
  long Progress(int* rc) {
    long a = 0, b = 0;
    *rc = QM3GetValue(kConvertProgress, 0, &a, &b);
    return a;
  }
};

TEST_F(ConversionTest, CancellingHalfwayLeavesNoFiles) {
  for (int process : {kProcConvertSMFAll, kProcConvertWAVAll}) {
    const std::string target = (dir_ / "cancelled.out").string();
    ASSERT_EQ(Start(process, target), 0) << process;
    platform::Sleep(30000);
    int rc = 0;
    const long percent = Progress(&rc);
    EXPECT_GT(percent, 20) << process;
    EXPECT_LT(percent, 70) << process;
    ASSERT_EQ(QM3SetValue(kConvertCancel, 0, 1, 0), 0);
    EXPECT_FALSE(Playing());
    EXPECT_FALSE(std::filesystem::exists(target)) << process;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "wavetemp.dat")) << process;
  }
}

TEST_F(ConversionTest, WavRunsToCompletionWithItsHeader) {
  const std::string target = (dir_ / "song.wav").string();
  ASSERT_EQ(Start(kProcConvertWAVAll, target), 0);
  long percent = 0;
  int rc = 0;
  for (int i = 0; i < 400 && percent < 100; ++i) {
    platform::Sleep(500);
    percent = Progress(&rc);
    ASSERT_EQ(rc, 0);
  }
  ASSERT_EQ(percent, 100);
  const auto size = std::filesystem::file_size(target);
  ASSERT_GT(size, 46u);
  std::FILE* f = std::fopen(target.c_str(), "rb");
  uint8_t h[46];
  ASSERT_EQ(std::fread(h, 1, 46, f), 46u);
  std::fclose(f);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h), 4), "RIFF");
  const uint32_t data = h[42] | (h[43] << 8) | (h[44] << 16) | (uint32_t{h[45]} << 24);
  EXPECT_EQ(size, data + 46u);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "wavetemp.dat"));
}

// A module stand-in that plays the melody back as accompaniment on channel
// 13, which the recording keeps.
void EchoMelodyAsAccompaniment(void* ctx, uint64_t, const uint8_t* bytes, size_t n) {
  if (n != 3 || (bytes[0] != 0x90 && bytes[0] != 0x80)) return;
  const uint8_t echo[3] = {static_cast<uint8_t>(bytes[0] | 12), bytes[1], bytes[2]};
  if (bytes[0] == 0x90 && bytes[2] != 0) ++*static_cast<int*>(ctx);
  platform::InjectLoopbackInput("Corvane USB MIDI IN 1", echo, 3);
}

TEST_F(ConversionTest, SmfHoldsEveryRecordedNoteOrFailsWhenItsStoreFills) {
  const std::filesystem::path target = dir_ / "song.mid";
  auto convert = [&](int* echoed) {
    *echoed = 0;
    platform::SetLoopbackObserver(kModulePort, EchoMelodyAsAccompaniment, echoed);
    EXPECT_EQ(Start(kProcConvertSMFAll, target.string()), 0);
    long percent = 0;
    int rc = 0;
    for (int i = 0; i < 400 && percent < 100 && rc == 0; ++i) {
      platform::Sleep(500);
      percent = Progress(&rc);
    }
    platform::SetLoopbackObserver(kModulePort, nullptr, nullptr);
    return rc;
  };
  {
    std::FILE* f = std::fopen(target.c_str(), "wb");
    std::fputs("earlier", f);
    std::fclose(f);
  }
  // A store too small for the song: no file, the earlier one untouched.
  midi::LimitCaptureWords(64);
  int echoed = 0;
  EXPECT_EQ(convert(&echoed), 4);
  midi::LimitCaptureWords(0);
  EXPECT_GT(echoed, 32);
  EXPECT_EQ(std::filesystem::file_size(target), 7u);

  // The store sized from the song holds every note the module played.
  ASSERT_EQ(convert(&echoed), 0);
  std::FILE* f = std::fopen(target.c_str(), "rb");
  std::vector<uint8_t> bytes(std::filesystem::file_size(target));
  ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
  midi::SequenceFile file;
  ASSERT_EQ(file.Parse(bytes.data(), bytes.size()), 0);
  int recorded = 0;
  midi::SeqEvent e;
  while (file.Next(&e) == midi::ReadResult::kEvent) {
    recorded += e.status == 0x9C && e.data2 != 0;
  }
  EXPECT_GT(echoed, 32);
  EXPECT_EQ(recorded, echoed);
}

TEST(CaptureStore, SizedFromTheSongWithRoomToSpare) {
  EXPECT_EQ(midi::CaptureWordsFor(0), midi::kCaptureWords);
  EXPECT_EQ(midi::CaptureWordsFor(60), midi::kCaptureWords);
  // An hour at four times the busiest style's rate.
  EXPECT_GE(midi::CaptureWordsFor(3600), size_t{3600} * 4 * 2 * 47);
}

}  // namespace
}  // namespace qm3
