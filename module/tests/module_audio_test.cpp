// The module's audio device: what the render function gives for a session
// driven through packets on the virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "audio_timeline.h"
#include "corvane/module.h"
#include "module_harness.h"
#include "platform/mmsystem.h"

namespace corvane::test {
namespace {

constexpr uint64_t kClock120 = 20833;
constexpr uint32_t kRate = CORVANE_MODULE_SAMPLE_RATE;

// Moves the rig's clock and takes the module's audio from the render function
// in pieces of `piece` frames as time passes, as the audio device does: only
// as far as the module has seen the commands that place their sounds.
class AudioTaker {
 public:
  AudioTaker(ModuleRig& rig, uint32_t piece) : rig_(rig), piece_(piece) {}

  void RunUntil(uint64_t us) {
    rig_.RunUntil(us);
    const uint64_t target = us * kRate / 1000000 - kRenderLookaheadFrames;
    while (rendered_frames_ + piece_ <= target) {
      std::vector<int16_t> buf(piece_ * 2);
      const uint64_t from_us = rendered_frames_ * 1000000 / kRate;
      EXPECT_EQ(CorvaneModuleRenderAudio(from_us, buf.data(), piece_), piece_);
      audio_.insert(audio_.end(), buf.begin(), buf.end());
      rendered_frames_ += piece_;
    }
  }
  std::vector<int16_t> audio() const { return audio_; }

 private:
  ModuleRig& rig_;
  uint32_t piece_;
  uint64_t rendered_frames_ = 0;
  std::vector<int16_t> audio_;
};

// A short song session: count-in clicks, the set-up, Start, two measures of
// main 1 with a chord change and a melody note, Stop.
std::vector<int16_t> RenderSession(uint32_t piece) {
  ModuleRig rig("default");
  EXPECT_TRUE(rig.started());
  AudioTaker taker(rig, piece);
  auto render_until = [&](uint64_t us) { taker.RunUntil(us); };
  rig.SysEx({0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7});
  rig.Parameter(0x0A000200, {0, 2});
  render_until(500000);  // half a second of silence
  for (int beat = 0; beat < 3; ++beat) {
    rig.Short({0x99, 47, 127});
    render_until(rig.now() + 250000);
    rig.Short({0x99, 47, 0});
    render_until(rig.now() + 250000);
  }
  rig.SelectRhythm(1, 2);
  rig.Short({0xC0, 0});
  rig.Short({0xFA});
  for (int clock = 0; clock < 192; ++clock) {
    if (clock == 0) rig.Short({0x90, 72, 100});
    if (clock == 90) {
      for (uint8_t key : {57, 60, 64}) rig.Short({0x9A, key, 100});
    }
    rig.Short({0xF8});
    render_until(rig.now() + kClock120);
  }
  rig.Short({0x80, 72, 0});
  rig.Short({0xFC});
  render_until(rig.now() + 1000000);
  return taker.audio();
}

double Rms(const std::vector<int16_t>& audio, size_t from_frame, size_t to_frame) {
  double sum = 0;
  for (size_t i = from_frame * 2; i < to_frame * 2 && i < audio.size(); ++i) {
    sum += double(audio[i]) * audio[i];
  }
  return std::sqrt(sum / double((to_frame - from_frame) * 2));
}

class ModuleAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TestSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  }
};

TEST_F(ModuleAudio, IdenticalInputGivesIdenticalBytesHoweverTheAudioIsFetched) {
  const auto first = RenderSession(4410);
  const auto second = RenderSession(4410);
  const auto third = RenderSession(1000);
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(first == second);
  const size_t common = std::min(first.size(), third.size());
  EXPECT_TRUE(std::equal(first.begin(), first.begin() + static_cast<long>(common), third.begin()));
  // Fetched a block at a time, the synthesizer renders block by block; in
  // larger pieces it renders the stretches between commands in one call:
  // the same samples.
  const auto by_block = RenderSession(64);
  const size_t shared = std::min(first.size(), by_block.size());
  ASSERT_GT(shared, 44100u);
  EXPECT_TRUE(
      std::equal(first.begin(), first.begin() + static_cast<long>(shared), by_block.begin()));
}

// Enough voices at once that a second synthesis thread takes a share: six
// notes on each of four programs, a bend while they sound, then the release.
std::vector<int16_t> RenderChords(int render_cores) {
  ModuleRig rig("default", true, render_cores);
  EXPECT_TRUE(rig.started());
  AudioTaker taker(rig, 4410);
  auto render_until = [&](uint64_t us) { taker.RunUntil(us); };
  rig.SysEx({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  const uint8_t programs[] = {0, 48, 19, 33};
  for (uint8_t ch = 0; ch < 4; ++ch) rig.Short({uint8_t(0xC0 | ch), programs[ch]});
  render_until(200000);
  for (uint8_t ch = 0; ch < 4; ++ch) {
    for (uint8_t key : {48, 52, 55, 60, 64, 67}) rig.Short({uint8_t(0x90 | ch), key, 100});
  }
  render_until(rig.now() + 700000);
  rig.Short({0xE1, 0x00, 0x50});
  render_until(rig.now() + 700000);
  for (uint8_t ch = 0; ch < 4; ++ch) {
    for (uint8_t key : {48, 52, 55, 60, 64, 67}) rig.Short({uint8_t(0x80 | ch), key, 0});
  }
  render_until(rig.now() + 1000000);
  return taker.audio();
}

TEST_F(ModuleAudio, TwoSynthesisThreadsGiveTheSamplesOfOne) {
  const auto one = RenderChords(1);
  const auto two = RenderChords(2);
  ASSERT_GT(one.size(), 2u * kRate * 2);
  EXPECT_GT(Rms(one, kRate / 2, kRate), 500.0);  // the chords sound
  EXPECT_TRUE(one == two);
}

TEST_F(ModuleAudio, SilentUntilTheCountInThenSoundWhereMusicPlays) {
  const auto audio = RenderSession(4410);
  // Nothing sounds before the first click; the click is loud right after.
  EXPECT_EQ(Rms(audio, 0, kRate / 2), 0.0);
  EXPECT_GT(Rms(audio, kRate / 2, kRate / 2 + 4410), 100.0);
  // Playing measures (from 2 s on) carry the style and the melody.
  EXPECT_GT(Rms(audio, 2 * kRate, 6 * kRate), 300.0);
  // The first loud frame is the first click, within half a 64-frame block.
  size_t first_loud = 0;
  while (first_loud * 2 < audio.size() && std::abs(audio[first_loud * 2]) <= 32 &&
         std::abs(audio[first_loud * 2 + 1]) <= 32) {
    ++first_loud;
  }
  EXPECT_GE(first_loud + 32, kRate / 2);
  EXPECT_LT(first_loud, kRate / 2 + 32 + 441);
}

TEST_F(ModuleAudio, HostNotesOnTheStyleChannelsNeverSound) {
  ModuleRig rig("default");
  ASSERT_TRUE(rig.started());
  rig.Short({0x9C, 60, 127});
  rig.Short({0x9F, 38, 127});
  rig.Short({0x9A, 60, 127});  // the chord channel is heard only through the style
  rig.RunUntil(1000000);
  std::vector<int16_t> buf(kRate * 2);
  ASSERT_EQ(CorvaneModuleRenderAudio(0, buf.data(), kRate), kRate);
  EXPECT_EQ(Rms(buf, 0, kRate), 0.0);
}

TEST_F(ModuleAudio, TheAudioInputDeviceCarriesTheModulesSound) {
  ModuleRig rig("default");
  ASSERT_TRUE(rig.started());
  platform::UINT id = 0;
  platform::WAVEINCAPS caps{};
  const platform::UINT count = platform::waveInGetNumDevs();
  while (id < count && (platform::waveInGetDevCaps(id, &caps, sizeof caps) != 0 ||
                        std::string(caps.szPname) != CORVANE_MODULE_AUDIO_NAME)) {
    ++id;
  }
  ASSERT_LT(id, count);
  const platform::WAVEFORMATEX format{platform::WAVE_FORMAT_PCM, 2, kRate, kRate * 4, 4, 16, 0};
  platform::HWAVEIN h = nullptr;
  ASSERT_EQ(platform::waveInOpen(&h, id, &format, 0, 0, 0), platform::MMSYSERR_NOERROR);
  std::vector<std::vector<char>> data(2, std::vector<char>(kRate / 2 * 4));
  std::vector<platform::WAVEHDR> hdrs(2);
  for (int i = 0; i < 2; ++i) {
    hdrs[i].lpData = data[i].data();
    hdrs[i].dwBufferLength = static_cast<platform::DWORD>(data[i].size());
    platform::waveInPrepareHeader(h, &hdrs[i], sizeof hdrs[i]);
    platform::waveInAddBuffer(h, &hdrs[i], sizeof hdrs[i]);
  }
  ASSERT_EQ(platform::waveInStart(h), platform::MMSYSERR_NOERROR);
  const uint64_t start = rig.now();
  rig.RunUntil(start + 500000);  // half a second of silence, then a click
  rig.Short({0x99, 47, 127});
  rig.RunUntil(start + 600000);
  rig.Short({0x99, 47, 0});
  rig.RunUntil(start + 1100000);
  for (auto& hdr : hdrs) EXPECT_TRUE(hdr.dwFlags & platform::WHDR_DONE);
  platform::waveInReset(h);
  for (auto& hdr : hdrs) platform::waveInUnprepareHeader(h, &hdr, sizeof hdr);
  platform::waveInClose(h);

  auto samples = [&](int i) {
    std::vector<int16_t> out(data[i].size() / 2);
    std::memcpy(out.data(), data[i].data(), data[i].size());
    return out;
  };
  EXPECT_EQ(Rms(samples(0), 0, kRate / 2), 0.0);
  EXPECT_GT(Rms(samples(1), 0, 4410), 100.0);
}

}  // namespace
}  // namespace corvane::test
