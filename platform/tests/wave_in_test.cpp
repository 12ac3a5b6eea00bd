#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "midi_test_util.h"
#include "platform/audio_source.h"

namespace platform {
namespace {

using testing::Recorder;

constexpr WAVEFORMATEX kStereo16{WAVE_FORMAT_PCM, 2, 1000, 4000, 4, 16, 0};  // 1 frame per ms

// Renders frame n as the sample pair (n, -n), and remembers what was asked.
struct Counter {
  std::mutex mu;
  std::vector<std::pair<uint64_t, uint32_t>> asks;  // (from_us, frames)
  uint64_t now_at_render = 0;
  int16_t next = 0;

  static uint32_t Render(void* ctx, uint64_t from_us, int16_t* out, uint32_t frames) {
    auto* c = static_cast<Counter*>(ctx);
    std::lock_guard lock(c->mu);
    c->asks.emplace_back(from_us, frames);
    c->now_at_render = GetMicroseconds();
    for (uint32_t i = 0; i < frames; ++i) {
      out[2 * i] = c->next;
      out[2 * i + 1] = int16_t(-c->next);
      ++c->next;
    }
    return frames;
  }
};

class WaveInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseVirtualClock();
    ASSERT_EQ(RegisterAudioSource("Test Source", kStereo16, {&counter_, &Counter::Render}), 0);
    id_ = waveInGetNumDevs() - 1;
  }
  void TearDown() override {
    UnregisterAudioSource("Test Source");
    UseRealClock();
  }
  WAVEHDR* Add(HWAVEIN h, size_t frames) {
    auto& data = data_.emplace_back(frames * 4);
    auto& hdr = hdrs_.emplace_back(std::make_unique<WAVEHDR>());
    hdr->lpData = data.data();
    hdr->dwBufferLength = DWORD(data.size());
    EXPECT_EQ(waveInPrepareHeader(h, hdr.get(), sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInAddBuffer(h, hdr.get(), sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    return hdr.get();
  }

  Counter counter_;
  UINT id_ = 0;
  Recorder rec_;
  std::vector<std::vector<char>> data_;
  std::vector<std::unique_ptr<WAVEHDR>> hdrs_;
};

TEST_F(WaveInTest, SourcesAreListedByNameAndFormatsChecked) {
  WAVEINCAPS caps{};
  ASSERT_EQ(waveInGetDevCaps(id_, &caps, sizeof caps), MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "Test Source");
  EXPECT_EQ(caps.wChannels, 2);
  EXPECT_EQ(RegisterAudioSource("Test Source", kStereo16, {}), -1);
  EXPECT_EQ(waveInGetDevCaps(id_ + 1, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

  WAVEFORMATEX mono = kStereo16;
  mono.nChannels = 1;
  mono.nBlockAlign = 2;
  HWAVEIN h = nullptr;
  EXPECT_EQ(waveInOpen(&h, id_, &mono, 0, 0, 0), WAVERR_BADFORMAT);
  EXPECT_EQ(waveInOpen(nullptr, id_, &kStereo16, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
  EXPECT_EQ(waveInOpen(&h, id_, nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveInOpen(&h, id_ + 1, &kStereo16, 0, 0, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveInStart(nullptr), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveInTest, BuffersFillOnceTheirIntervalHasPassed) {
  HWAVEIN h = nullptr;
  ASSERT_EQ(waveInOpen(&h, id_, &kStereo16, rec_.wave_fn(), rec_.self(), CALLBACK_FUNCTION), 0u);
  WAVEHDR* a = Add(h, 100);
  WAVEHDR* b = Add(h, 50);
  Sleep(30);
  ASSERT_EQ(waveInStart(h), MMSYSERR_NOERROR);
  Sleep(200);
  EXPECT_EQ(counter_.asks,
            (std::vector<std::pair<uint64_t, uint32_t>>{{30000, 100}, {130000, 50}}));
  EXPECT_EQ(a->dwBytesRecorded, 400u);
  EXPECT_EQ(a->dwFlags, WHDR_PREPARED | WHDR_DONE);
  int16_t last[2];
  std::memcpy(last, b->lpData + 49 * 4, 4);
  EXPECT_EQ(last[0], 149);
  EXPECT_EQ(last[1], -149);
  const auto calls = rec_.Take();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].msg, WIM_OPEN);
  EXPECT_EQ(calls[1], (testing::Callback{WIM_DATA, DWORD_PTR(a), 0, 130000}));
  EXPECT_EQ(calls[2], (testing::Callback{WIM_DATA, DWORD_PTR(b), 0, 180000}));
  EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
  EXPECT_EQ(rec_.Messages().back(), WIM_CLOSE);
}

TEST_F(WaveInTest, StopReturnsWhatWasRecordedAndResetReturnsTheRest) {
  HWAVEIN h = nullptr;
  ASSERT_EQ(waveInOpen(&h, id_, &kStereo16, rec_.wave_fn(), rec_.self(), CALLBACK_FUNCTION), 0u);
  WAVEHDR* a = Add(h, 100);
  WAVEHDR* b = Add(h, 100);
  waveInStart(h);
  Sleep(40);
  ASSERT_EQ(waveInStop(h), MMSYSERR_NOERROR);
  EXPECT_EQ(a->dwBytesRecorded, 160u);  // 40 frames
  EXPECT_TRUE(a->dwFlags & WHDR_DONE);
  EXPECT_EQ(waveInClose(h), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveInUnprepareHeader(h, b, sizeof *b), WAVERR_STILLPLAYING);

  Sleep(1000);  // stopped: time passes without frames
  waveInStart(h);
  Sleep(10);
  ASSERT_EQ(waveInReset(h), MMSYSERR_NOERROR);
  EXPECT_EQ(b->dwBytesRecorded, 40u);  // frames 40..49, contiguous with a
  int16_t first[2];
  std::memcpy(first, b->lpData, 4);
  EXPECT_EQ(first[0], 40);
  EXPECT_EQ(counter_.asks.back().first, 1040000u);  // frame 40 is due at the restart
  EXPECT_EQ(rec_.Messages(), (std::vector<UINT>{WIM_OPEN, WIM_DATA, WIM_DATA}));
  EXPECT_EQ(waveInUnprepareHeader(h, b, sizeof *b), MMSYSERR_NOERROR);
  EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveInTest, HeaderRulesAndUnregisteredSources) {
  HWAVEIN h = nullptr;
  ASSERT_EQ(waveInOpen(&h, id_, &kStereo16, 0, 0, CALLBACK_NULL), 0u);
  char small[2];
  WAVEHDR hdr{};
  hdr.lpData = small;
  hdr.dwBufferLength = sizeof small;
  EXPECT_EQ(waveInAddBuffer(h, &hdr, sizeof hdr), WAVERR_UNPREPARED);
  ASSERT_EQ(waveInPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(waveInAddBuffer(h, &hdr, sizeof hdr), MMSYSERR_INVALPARAM);  // under one frame
  EXPECT_EQ(waveInAddBuffer(h, &hdr, sizeof hdr - 1), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveInPrepareHeader(h, nullptr, sizeof hdr), MMSYSERR_INVALPARAM);

  // A source that goes away leaves open handles recording silence.
  WAVEHDR* a = Add(h, 10);
  UnregisterAudioSource("Test Source");
  waveInStart(h);
  Sleep(20);
  EXPECT_EQ(a->dwBytesRecorded, 40u);
  EXPECT_EQ(std::vector<char>(a->lpData, a->lpData + 40), std::vector<char>(40, 0));
  EXPECT_TRUE(counter_.asks.empty());
  EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
}

}  // namespace
}  // namespace platform
