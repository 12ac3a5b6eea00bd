// Stream playback through the loopback port on the virtual clock: exact
// event times, clocks every 4 ticks, the chase on a play from the middle,
// part of the transport's end conditions and the module port vanishing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "midi/module_sender.h"
#include "midi/sequencer.h"
#include "platform/clock.h"
#include "platform/loopback.h"
#include "platform/mmsystem.h"

namespace qm3::midi {
namespace {

constexpr const char* kPort = "Corvane USB MIDI OUT 1";

struct Ev {
  uint32_t tick;
  std::vector<uint8_t> bytes;  // status first; F7 escapes and metas as in a file
};

// A format-0 file at division 96 from absolute-time events (sorted).
std::vector<uint8_t> MakeSmf(const std::vector<Ev>& events) {
  std::vector<uint8_t> trk;
  uint32_t last = 0;
  for (const Ev& e : events) {
    uint32_t d = e.tick - last;
    last = e.tick;
    uint8_t v[4];
    int n = 0;
    v[n++] = d & 0x7F;
    while ((d >>= 7) != 0) v[n++] = 0x80 | (d & 0x7F);
    while (n > 0) trk.push_back(v[--n]);
    trk.insert(trk.end(), e.bytes.begin(), e.bytes.end());
  }
  trk.insert(trk.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  const uint32_t n = static_cast<uint32_t>(trk.size());
  f.insert(f.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                     static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  f.insert(f.end(), trk.begin(), trk.end());
  return f;
}

uint32_t FindPort(const char* name) {
  for (uint32_t i = 0; i < platform::midiOutGetNumDevs(); ++i) {
    platform::MIDIOUTCAPS caps{};
    if (platform::midiOutGetDevCaps(i, &caps, sizeof caps) == 0 &&
        std::strcmp(caps.szPname, name) == 0) {
      return i;
    }
  }
  return 0xFFFFFFFF;
}

class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseVirtualClock();
    platform::RemoveAllLoopbackPorts();
    ASSERT_EQ(platform::CreateLoopbackOutput(kPort), 0);
    device_ = FindPort(kPort);
    ASSERT_NE(device_, 0xFFFFFFFFu);
  }
  void TearDown() override {
    platform::RemoveAllLoopbackPorts();
    platform::UseRealClock();
  }

  // Plays the whole image and returns what the port received.
  std::vector<platform::LoopbackMessage> Play(const std::vector<uint8_t>& smf, uint32_t start,
                                              SequencerOptions opt) {
    Sequencer seq;
    seq.set_output_device(device_);
    seq.set_options(opt);
    EXPECT_EQ(seq.OpenImage(smf.data(), smf.size(), 1.0), 0);
    platform::TakeLoopbackOutput(kPort);
    start_us_ = platform::GetMicroseconds();
    EXPECT_EQ(seq.StartPlay(start, 0), 0);
    for (int i = 0; i < 200000 && seq.state() == SeqState::kPlaying; ++i) platform::Sleep(5);
    EXPECT_EQ(seq.state(), SeqState::kOpened);
    seq.StopPlay();
    return platform::TakeLoopbackOutput(kPort);
  }

  uint32_t device_ = 0;
  uint64_t start_us_ = 0;
};

TEST_F(PlaybackTest, ClocksArriveEveryFourTicksAtTheirExactTimes) {
  std::vector<Ev> ev;
  const uint32_t kLength = 96 * 4 * 30;  // 30 measures at 120 BPM: 60 s
  for (uint32_t t = 0; t < kLength; t += 4) ev.push_back({t, {0xF7, 0x01, 0xF8}});
  const auto smf = MakeSmf(ev);
  SequencerOptions opt;
  opt.tempo_control = 1200000;
  const auto got = Play(smf, 0, opt);
  std::vector<uint64_t> clocks;
  for (const auto& m : got) {
    if (m.bytes == std::vector<uint8_t>{0xF8}) clocks.push_back(m.time_us - start_us_);
  }
  ASSERT_EQ(clocks.size(), kLength / 4);
  // 500000 us per quarter note, 96 ticks: 48 ticks of lead-in, then t.
  for (size_t i = 0; i < clocks.size(); ++i) {
    const double ideal = (48.0 + 4.0 * i) * 500000.0 / 96.0;
    ASSERT_NEAR(static_cast<double>(clocks[i]), ideal, 2.0) << "clock " << i;
  }
}

TEST_F(PlaybackTest, PlayFromTheMiddleRestrikesHeldChordsOnlyInSongMode) {
  const std::vector<Ev> ev = {{0, {0xBA, 0x07, 0x50}}, {0, {0x9A, 60, 90}},  {0, {0x9A, 64, 80}},
                              {10, {0x8A, 64, 0}},     {384, {0x8A, 60, 0}}, {400, {0x90, 70, 100}},
                              {500, {0x80, 70, 0}}};
  const auto smf = MakeSmf(ev);
  SequencerOptions opt;
  opt.tempo_control = 1200000;
  auto has = [](const std::vector<platform::LoopbackMessage>& got, std::vector<uint8_t> b) {
    for (const auto& m : got) {
      if (m.bytes == b) return true;
    }
    return false;
  };
  auto song = Play(smf, 100, opt);
  EXPECT_TRUE(has(song, {0x9A, 60, 90}));   // held at 100: struck again
  EXPECT_FALSE(has(song, {0x9A, 64, 80}));  // released at 10
  EXPECT_TRUE(has(song, {0xBA, 0x07, 0x50}));
  opt.edit_mode = 1;
  auto smf_mode = Play(smf, 100, opt);
  EXPECT_FALSE(has(smf_mode, {0x9A, 60, 90}));
  EXPECT_TRUE(has(smf_mode, {0xBA, 0x07, 0x50}));
}

TEST_F(PlaybackTest, MutedPartsAreSilentInSmfModeOnly) {
  std::vector<Ev> ev;
  for (uint32_t t = 0; t < 96 * 8; t += 48) {
    ev.push_back({t, {0x90, 64, 100}});
    ev.push_back({t, {0x92, 60, 100}});
    ev.push_back({t + 24, {0x80, 64, 0}});
    ev.push_back({t + 24, {0x82, 60, 0}});
  }
  const auto smf = MakeSmf(ev);
  auto count = [](const std::vector<platform::LoopbackMessage>& got, int channel) {
    int n = 0;
    for (const auto& m : got) {
      n += m.bytes.size() == 3 && (m.bytes[0] & 0x0F) == channel && (m.bytes[0] & 0xE0) == 0x80;
    }
    return n;
  };
  SequencerOptions opt;
  opt.part_playing[2] = false;
  opt.edit_mode = 1;
  const auto smf_mode = Play(smf, 0, opt);
  EXPECT_EQ(count(smf_mode, 0), 32);
  EXPECT_EQ(count(smf_mode, 2), 0);
  // The switches as they are now, when given, decide instead.
  std::atomic<uint16_t> muted{1};
  opt.muted_parts = &muted;
  const auto live = Play(smf, 0, opt);
  EXPECT_EQ(count(live, 0), 0);
  EXPECT_EQ(count(live, 2), 32);
  opt.edit_mode = 0;  // songs do not mute parts here
  EXPECT_EQ(count(Play(smf, 0, opt), 0), 32);
}

TEST_F(PlaybackTest, PartSettingsEditedWhilePlayingGoOutAtOnceBankBeforeProgram) {
  EXPECT_FALSE(QueuePartSettings(nullptr, 0)) << "no stream plays: the caller sends them";
  std::vector<Ev> ev;
  for (uint32_t t = 0; t < 96 * 8; t += 48) {  // 8 beats at 120 BPM: 4 s
    ev.push_back({t, {0x93, 60, 100}});
    ev.push_back({t + 24, {0x83, 60, 0}});
  }
  const auto smf = MakeSmf(ev);
  SequencerOptions opt;
  opt.tempo_control = 1200000;
  opt.edit_mode = 1;
  Sequencer seq;
  seq.set_output_device(device_);
  seq.set_options(opt);
  ASSERT_EQ(seq.OpenImage(smf.data(), smf.size(), 1.0), 0);
  platform::TakeLoopbackOutput(kPort);
  SetStreamPlaying(true);
  ASSERT_EQ(seq.StartPlay(0, 0), 0);
  platform::Sleep(1500);
  // Channel 4: a voice (bank select, then program), its volume and pan; the
  // newest volume wins; a message that is no part setting is left out.
  const uint32_t edits[] = {0x0000B3, 0x0120B3, 0x05C3, 0x2807B3, 0x5A07B3, 0x7F40B3, 0x300AB3};
  const uint64_t queued_us = platform::GetMicroseconds();
  ASSERT_TRUE(QueuePartSettings(edits, std::size(edits)));
  for (int i = 0; i < 200000 && seq.state() == SeqState::kPlaying; ++i) platform::Sleep(5);
  seq.StopPlay();
  SetStreamPlaying(false);
  std::vector<std::vector<uint8_t>> settings;
  uint64_t first_us = 0;
  for (const auto& m : platform::TakeLoopbackOutput(kPort)) {
    if (m.bytes.empty() || (m.bytes[0] & 0xF0) == 0x90 || (m.bytes[0] & 0xF0) == 0x80) continue;
    if ((m.bytes[0] & 0x0F) != 3) continue;
    if (settings.empty()) first_us = m.time_us;
    settings.push_back(m.bytes);
  }
  const std::vector<std::vector<uint8_t>> expected = {
      {0xB3, 0, 0}, {0xB3, 32, 1}, {0xC3, 5}, {0xB3, 7, 90}, {0xB3, 10, 48}};
  // After the end of playback the channels are reset; only the edits count.
  ASSERT_GE(settings.size(), expected.size());
  EXPECT_EQ(std::vector(settings.begin(), settings.begin() + 5), expected);
  EXPECT_GE(first_us, queued_us);
  // Within the stream's lead (two buffers of a sixteenth each), long before the end.
  EXPECT_LT(first_us - queued_us, 400000u);
}

TEST_F(PlaybackTest, StartBeyondTheLastEventFails) {
  const auto smf = MakeSmf({{0, {0x90, 60, 100}}, {96, {0x80, 60, 0}}});
  Sequencer seq;
  seq.set_output_device(device_);
  ASSERT_EQ(seq.OpenImage(smf.data(), smf.size(), 1.0), 0);
  EXPECT_EQ(seq.StartPlay(1000, 0), kRcMidiDeviceNotOpened);
  seq.StopPlay();
}

// Every way a preroll fails is a code the host has a message for.
TEST_F(PlaybackTest, PrerollFailuresAreHostCodes) {
  const auto smf = MakeSmf({{0, {0x90, 60, 100}}, {96, {0x80, 60, 0}}});
  Sequencer unopened;
  EXPECT_EQ(unopened.Preroll(0, 0), kRcError);

  Sequencer beyond;
  beyond.set_output_device(device_);
  ASSERT_EQ(beyond.OpenImage(smf.data(), smf.size(), 1.0), kRcOk);
  EXPECT_EQ(beyond.Preroll(1000, 0), kRcError);
  EXPECT_EQ(beyond.state(), SeqState::kOpened);

  Sequencer no_port;
  no_port.set_output_device(device_ + 100);
  ASSERT_EQ(no_port.OpenImage(smf.data(), smf.size(), 1.0), kRcOk);
  EXPECT_EQ(no_port.Preroll(0, 0), kRcMidiDeviceNotOpened);
  EXPECT_EQ(no_port.state(), SeqState::kOpened);
}

TEST_F(PlaybackTest, ModulePortVanishingEndsThePlay) {
  std::vector<Ev> ev;
  for (uint32_t t = 0; t < 96 * 4 * 20; t += 4) ev.push_back({t, {0xF7, 0x01, 0xF8}});
  const auto smf = MakeSmf(ev);
  OnModulePortFound(device_);
  ASSERT_EQ(ModulePort(), device_);
  Sequencer seq;
  seq.set_output_device(device_);
  ASSERT_EQ(seq.OpenImage(smf.data(), smf.size(), 1.0), 0);
  ASSERT_EQ(seq.StartPlay(0, 0), 0);
  platform::Sleep(2000);
  platform::RemoveLoopbackOutput(kPort);
  for (int i = 0; i < 1000 && seq.state() == SeqState::kPlaying; ++i) platform::Sleep(5);
  EXPECT_NE(seq.state(), SeqState::kPlaying);
  EXPECT_LT(seq.GetPosition(), 96u * 4 * 20);
  seq.StopPlay();
  ForgetModulePort();
}

TEST_F(PlaybackTest, PrerollGrowsToHoldTheWholeRestoredState) {
  // 16 channels of controllers chased at the start tick need ~21 KiB of
  // restored events, far beyond the first 4 KiB preroll buffer.
  std::vector<Ev> ev;
  for (uint8_t ch = 0; ch < 16; ++ch) {
    for (uint8_t c = 1; c < 120; ++c) ev.push_back({0, {static_cast<uint8_t>(0xB0 | ch), c, 1}});
  }
  ev.push_back({960, {0x90, 1, 1}});
  const auto smf = MakeSmf(ev);
  SequencerOptions opt;
  const auto got = Play(smf, 480, opt);
  size_t controllers = 0;
  for (const auto& m : got) controllers += (m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0xB0);
  EXPECT_EQ(controllers, 16u * 110u);
}

}  // namespace
}  // namespace qm3::midi
