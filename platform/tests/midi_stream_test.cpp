#include <gtest/gtest.h>

#include "midi_test_util.h"

namespace platform {
namespace {

using testing::LoopbackTest;
using testing::Recorder;
using testing::StreamBuffer;
using Bytes = std::vector<uint8_t>;

class MidiStreamTest : public LoopbackTest {
 protected:
  void Open(DWORD timediv = 96) {
    UINT id = out_id_;
    ASSERT_EQ(midiStreamOpen(&h_, &id, 1, rec_.fn(), rec_.self(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    MIDIPROPTIMEDIV div{sizeof(MIDIPROPTIMEDIV), timediv};
    ASSERT_EQ(
        midiStreamProperty(h_, reinterpret_cast<BYTE*>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV),
        MMSYSERR_NOERROR);
  }
  void Queue(StreamBuffer& b) {
    MIDIHDR* hdr = b.Header();
    ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h_), hdr, sizeof *hdr), 0u);
    ASSERT_EQ(midiStreamOut(h_, hdr, sizeof *hdr), MMSYSERR_NOERROR);
  }
  DWORD Ticks() {
    MMTIME t{};
    t.wType = TIME_TICKS;
    EXPECT_EQ(midiStreamPosition(h_, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.wType, TIME_TICKS);
    return t.u.ticks;
  }
  void TearDown() override {
    if (h_ != nullptr) {
      EXPECT_EQ(midiStreamClose(h_), MMSYSERR_NOERROR);
    }
    LoopbackTest::TearDown();
  }

  Recorder rec_;
  HMIDISTRM h_ = nullptr;
};

TEST_F(MidiStreamTest, EventsPlayAtTheTimesDivisionAndTempoGive) {
  Open(96);
  StreamBuffer b;
  b.Short(0, 0x643C90)      // t = 0
      .Short(96, 0x003C90)  // one quarter at 500000 us: 500 ms
      .Tempo(0, 250000)     // twice as fast from here
      .Short(48, 0x643E90)  // 48 ticks x 250000/96 us = 125 ms later
      .Nop(7)               //
      .Short(1, 0x003E90);  // 8 ticks later: 8 x 250000 / 96 = 20833 us
  Queue(b);
  Sleep(10);  // the stream starts paused
  EXPECT_TRUE(Sent().empty());
  ASSERT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
  Sleep(1000);
  EXPECT_EQ(Sent(), (std::vector<LoopbackMessage>{{10000, Bytes{0x90, 0x3C, 0x64}},
                                                  {510000, Bytes{0x90, 0x3C, 0x00}},
                                                  {635000, Bytes{0x90, 0x3E, 0x64}},
                                                  {655833, Bytes{0x90, 0x3E, 0x00}}}));
  // The position keeps counting at the last tempo after the last event.
  EXPECT_EQ(Ticks(), DWORD(96 + 48 + 8 + (1010000 - 655833) * 96 / 250000));
  const auto calls = rec_.Take();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].msg, MOM_OPEN);
  EXPECT_EQ(calls[1], (testing::Callback{MOM_DONE, DWORD_PTR(b.Header()), 0, 655833}));
}

TEST_F(MidiStreamTest, SmpteDivisionCountsFramesAndIgnoresTempo) {
  // 25 frames per second, 40 ticks per frame: one tick per millisecond.
  Open(0xE728);
  StreamBuffer b;
  b.Short(100, 0x90).Tempo(0, 1000).Short(250, 0x80);
  Queue(b);
  midiStreamRestart(h_);
  Sleep(400);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].time_us, 100000u);
  EXPECT_EQ(sent[1].time_us, 350000u);
}

TEST_F(MidiStreamTest, LongEventsAreSentWithoutPaddingAndSplitBlocksStayInOrder) {
  Open();
  StreamBuffer first, second;
  first.Long(0, {0xF0, 0x41, 0x10, 0x42, 0x12}).Short(0, 0x7F3CB0);  // 5 bytes padded to 8
  second.Long(10, {0x00, 0x7F, 0x00, 0x41, 0xF7});                   // the block's continuation
  Queue(first);
  Queue(second);
  midiStreamRestart(h_);
  Sleep(200);
  EXPECT_EQ(Sent(), (std::vector<LoopbackMessage>{{0, Bytes{0xF0, 0x41, 0x10, 0x42, 0x12}},
                                                  {0, Bytes{0xB0, 0x3C, 0x7F}},
                                                  {52083, Bytes{0x00, 0x7F, 0x00, 0x41, 0xF7}}}));
  EXPECT_EQ(rec_.Messages(), (std::vector<UINT>{MOM_OPEN, MOM_DONE, MOM_DONE}));
}

TEST_F(MidiStreamTest, ALongEventRunningPastItsBufferEndsTheBuffer) {
  Open();
  StreamBuffer b;
  b.Short(0, 0x90).Long(0, {0xF0, 1, 2, 0xF7});
  MIDIHDR* hdr = b.Header();
  hdr->dwBytesRecorded -= 4;  // the long event claims more than the buffer holds
  ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h_), hdr, sizeof *hdr), 0u);
  ASSERT_EQ(midiStreamOut(h_, hdr, sizeof *hdr), 0u);
  midiStreamRestart(h_);
  Sleep(10);
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_TRUE(hdr->dwFlags & MHDR_DONE);
}

TEST_F(MidiStreamTest, PauseHoldsThePositionAndRestartContinuesFromIt) {
  Open(96);
  StreamBuffer b;
  b.Short(192, 0x90);  // due one second into the music
  Queue(b);
  midiStreamRestart(h_);
  Sleep(250);
  EXPECT_EQ(Ticks(), 48u);
  ASSERT_EQ(midiStreamPause(h_), MMSYSERR_NOERROR);
  Sleep(5000);
  EXPECT_EQ(Ticks(), 48u);
  EXPECT_TRUE(Sent().empty());
  ASSERT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
  Sleep(1000);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].time_us, 5250000u + 750000u);
  MMTIME ms{};
  ms.wType = TIME_MS;
  ASSERT_EQ(midiStreamPosition(h_, &ms, sizeof ms), MMSYSERR_NOERROR);
  EXPECT_EQ(ms.u.ms, 1250u);
}

TEST_F(MidiStreamTest, StopReturnsEveryBufferSilencesNotesAndRewinds) {
  Open(96);
  StreamBuffer a, b;
  a.Short(0, 0x643C91).Short(960, 0x003C91);
  b.Short(0, 0x643E91);
  Queue(a);
  Queue(b);
  midiStreamRestart(h_);
  Sleep(100);
  Sent();
  rec_.Take();
  ASSERT_EQ(midiStreamStop(h_), MMSYSERR_NOERROR);
  EXPECT_EQ(Sent(), (std::vector<LoopbackMessage>{{100000, Bytes{0x81, 0x3C, 0x00}}}));
  const auto calls = rec_.Take();
  ASSERT_EQ(calls.size(), 2u);  // on the caller's thread, before stop returns
  EXPECT_EQ(calls[0].p1, DWORD_PTR(a.Header()));
  EXPECT_EQ(calls[1].p1, DWORD_PTR(b.Header()));
  EXPECT_EQ(a.Header()->dwFlags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
  EXPECT_EQ(Ticks(), 0u);
  Sleep(2000);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Ticks(), 0u);  // stopped streams stay paused at 0
}

TEST_F(MidiStreamTest, ResetOnTheStreamHandleActsAsStop) {
  Open();
  StreamBuffer a;
  a.Short(500, 0x90);
  Queue(a);
  midiStreamRestart(h_);
  ASSERT_EQ(midiOutReset(reinterpret_cast<HMIDIOUT>(h_)), MMSYSERR_NOERROR);
  EXPECT_EQ(rec_.Messages(), (std::vector<UINT>{MOM_OPEN, MOM_DONE}));
  EXPECT_EQ(midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(h_), a.Header(), sizeof(MIDIHDR)),
            MMSYSERR_NOERROR);
}

TEST_F(MidiStreamTest, CallbackEventsReportTheirOffset) {
  Open();
  StreamBuffer b;
  b.Short(0, 0x90).Nop(10, MEVT_F_CALLBACK).Short(0, 0x80);
  Queue(b);
  midiStreamRestart(h_);
  Sleep(100);
  const auto calls = rec_.Take();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].msg, MOM_POSITIONCB);
  EXPECT_EQ(b.Header()->dwOffset, 12u);
}

TEST_F(MidiStreamTest, PropertiesAndBuffersAreChecked) {
  Open();
  MIDIPROPTEMPO tempo{sizeof tempo, 0};
  EXPECT_EQ(midiStreamProperty(h_, reinterpret_cast<BYTE*>(&tempo), MIDIPROP_GET | MIDIPROP_TEMPO),
            MMSYSERR_NOERROR);
  EXPECT_EQ(tempo.dwTempo, 500000u);
  MIDIPROPTIMEDIV div{sizeof div, 0};
  auto* p = reinterpret_cast<BYTE*>(&div);
  EXPECT_EQ(midiStreamProperty(h_, p, MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
  div.dwTimeDiv = 0xE100;  // -31 frames per second does not exist
  EXPECT_EQ(midiStreamProperty(h_, p, MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
  div = {4, 480};
  EXPECT_EQ(midiStreamProperty(h_, p, MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiStreamProperty(h_, p, MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiStreamProperty(h_, nullptr, MIDIPROP_GET | MIDIPROP_TEMPO), MMSYSERR_INVALPARAM);
  tempo.dwTempo = 0;
  EXPECT_EQ(midiStreamProperty(h_, reinterpret_cast<BYTE*>(&tempo), MIDIPROP_SET | MIDIPROP_TEMPO),
            MMSYSERR_INVALPARAM);

  StreamBuffer b;
  b.Short(0, 0x90);
  MIDIHDR* hdr = b.Header();
  EXPECT_EQ(midiStreamOut(h_, hdr, sizeof *hdr), MIDIERR_UNPREPARED);
  EXPECT_EQ(midiStreamOut(h_, nullptr, sizeof *hdr), MMSYSERR_INVALPARAM);
  ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h_), hdr, sizeof *hdr), 0u);
  hdr->dwBytesRecorded = hdr->dwBufferLength + 1;
  EXPECT_EQ(midiStreamOut(h_, hdr, sizeof *hdr), MMSYSERR_INVALPARAM);
  hdr->dwBytesRecorded = hdr->dwBufferLength;
  ASSERT_EQ(midiStreamOut(h_, hdr, sizeof *hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(midiStreamOut(h_, hdr, sizeof *hdr), MIDIERR_STILLPLAYING);
  MMTIME t{};
  EXPECT_EQ(midiStreamPosition(h_, &t, sizeof t - 1), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiStreamPosition(h_, nullptr, sizeof t), MMSYSERR_INVALPARAM);

  UINT bad = 999;
  HMIDISTRM other = nullptr;
  EXPECT_EQ(midiStreamOpen(&other, &bad, 1, 0, 0, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiStreamOpen(&other, nullptr, 1, 0, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiStreamRestart(nullptr), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiStreamClose(reinterpret_cast<HMIDISTRM>(&bad)), MMSYSERR_INVALHANDLE);
}

// Ten minutes of music with a tempo change every bar: every event arrives at
// the time computed from the ticks and tempi alone.
TEST_F(MidiStreamTest, TenMinutesWithTempoChangesArriveExactly) {
  Open(480);
  std::vector<StreamBuffer> buffers(1);
  std::vector<uint64_t> expected;
  uint64_t us = 0;
  uint64_t tempo = 500000;
  uint64_t tick_us_num = tempo;
  uint64_t carry = 0;  // ticks since the last tempo change
  uint64_t seg_us = 0;
  int events = 0;
  while (us < 600ull * 1000000) {
    StreamBuffer& b = buffers.back();
    for (int i = 0; i < 8; ++i) {  // eighth notes, then a new tempo
      carry += 240;
      us = seg_us + carry * tick_us_num / 480;
      b.Short(240, 0x403C90 + DWORD(i));
      expected.push_back(us);
      ++events;
    }
    tempo = 400000 + (tempo * 7 + 13) % 300000;
    b.Tempo(0, DWORD(tempo));
    seg_us = us;
    carry = 0;
    tick_us_num = tempo;
    if (events % 256 == 0) buffers.emplace_back();
  }
  for (auto& b : buffers) Queue(b);
  midiStreamRestart(h_);
  SleepUntilMicroseconds(expected.back() + 1000);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), expected.size());
  for (size_t i = 0; i < sent.size(); ++i) {
    ASSERT_EQ(sent[i].time_us, expected[i]) << "event " << i;
  }
  EXPECT_EQ(rec_.Messages().size(), buffers.size() + 1);
}

}  // namespace
}  // namespace platform
