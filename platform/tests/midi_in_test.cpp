#include <gtest/gtest.h>

#include "midi_test_util.h"

namespace platform {
namespace {

using testing::Callback;
using testing::LoopbackTest;
using testing::Recorder;

class MidiInTest : public LoopbackTest {
 protected:
  void Open() {
    ASSERT_EQ(midiInOpen(&h_, in_id_, rec_.fn(), rec_.self(), CALLBACK_FUNCTION), MMSYSERR_NOERROR);
    rec_.Take();  // MIM_OPEN
  }
  void Inject(std::vector<uint8_t> bytes) {
    ASSERT_EQ(InjectLoopbackInput("Loop A", bytes.data(), bytes.size()), 0);
  }
  MIDIHDR* AddBuffer(size_t size) {
    auto& b = buffers_.emplace_back(size);
    auto& hdr = headers_.emplace_back(std::make_unique<MIDIHDR>());
    hdr->lpData = b.data();
    hdr->dwBufferLength = DWORD(size);
    EXPECT_EQ(midiInPrepareHeader(h_, hdr.get(), sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInAddBuffer(h_, hdr.get(), sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    return hdr.get();
  }
  static std::vector<uint8_t> Bytes(const MIDIHDR* h) {
    return std::vector<uint8_t>(h->lpData, h->lpData + h->dwBytesRecorded);
  }
  void TearDown() override {
    if (h_ != nullptr) {
      midiInReset(h_);
      EXPECT_EQ(midiInClose(h_), MMSYSERR_NOERROR);
    }
    LoopbackTest::TearDown();
  }

  Recorder rec_;
  HMIDIIN h_ = nullptr;
  std::vector<std::vector<char>> buffers_;
  std::vector<std::unique_ptr<MIDIHDR>> headers_;
};

TEST_F(MidiInTest, ShortMessagesCarryMillisecondsSinceStartAndRunningStatus) {
  Open();
  Inject({0x90, 0x3C, 0x64});  // before start: dropped
  Sleep(20);
  ASSERT_EQ(midiInStart(h_), MMSYSERR_NOERROR);
  Sleep(7);
  Inject({0x90, 0x3C});
  Sleep(3);
  Inject({0x64, 0x3C, 0x00, 0xC2, 0x05, 0xF8, 0x06});
  EXPECT_EQ(rec_.Take(), (std::vector<Callback>{
                             {MIM_DATA, 0x643C90, 7, 30000},  // stamped at its first data byte
                             {MIM_DATA, 0x003C90, 10, 30000},
                             {MIM_DATA, 0x05C2, 10, 30000},
                             {MIM_DATA, 0xF8, 10, 30000},
                             {MIM_DATA, 0x06C2, 10, 30000}}));
  ASSERT_EQ(midiInStop(h_), MMSYSERR_NOERROR);
  Inject({0x80, 0x3C, 0x00});
  EXPECT_TRUE(rec_.Take().empty());
}

TEST_F(MidiInTest, SystemExclusiveFillsBuffersAndContinuesInTheNextWhenFull) {
  Open();
  MIDIHDR* first = AddBuffer(4);
  MIDIHDR* second = AddBuffer(16);
  midiInStart(h_);
  Sleep(2);
  Inject({0xF0, 0x41, 0x10, 0xF8, 0x42, 0x12, 0xF7, 0x90, 0x3C, 0x40});
  EXPECT_EQ(Bytes(first), (std::vector<uint8_t>{0xF0, 0x41, 0x10, 0x42}));
  EXPECT_EQ(Bytes(second), (std::vector<uint8_t>{0x12, 0xF7}));
  EXPECT_EQ(first->dwFlags, MHDR_PREPARED | MHDR_DONE);
  EXPECT_EQ(rec_.Take(), (std::vector<Callback>{{MIM_DATA, 0xF8, 2, 2000},
                                                {MIM_LONGDATA, DWORD_PTR(first), 2, 2000},
                                                {MIM_LONGDATA, DWORD_PTR(second), 2, 2000},
                                                {MIM_DATA, 0x403C90, 2, 2000}}));
}

TEST_F(MidiInTest, StopReturnsThePartBufferAndResetReturnsEveryBuffer) {
  Open();
  MIDIHDR* a = AddBuffer(16);
  MIDIHDR* b = AddBuffer(16);
  MIDIHDR* c = AddBuffer(16);
  midiInStart(h_);
  Inject({0xF0, 0x01, 0x02});
  Sleep(5);
  ASSERT_EQ(midiInStop(h_), MMSYSERR_NOERROR);
  EXPECT_EQ(rec_.Take(), (std::vector<Callback>{{MIM_LONGDATA, DWORD_PTR(a), 0, 5000}}));
  EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{0xF0, 0x01, 0x02}));
  EXPECT_EQ(midiInClose(h_), MIDIERR_STILLPLAYING);  // b and c are still queued

  midiInStart(h_);
  Sleep(4);
  ASSERT_EQ(midiInReset(h_), MMSYSERR_NOERROR);
  EXPECT_EQ(rec_.Take(), (std::vector<Callback>{{MIM_LONGDATA, DWORD_PTR(b), 4, 9000},
                                                {MIM_LONGDATA, DWORD_PTR(c), 4, 9000}}));
  EXPECT_EQ(b->dwBytesRecorded, 0u);
  EXPECT_EQ(c->dwFlags, MHDR_PREPARED | MHDR_DONE);
  EXPECT_EQ(midiInUnprepareHeader(h_, c, sizeof *c), MMSYSERR_NOERROR);
}

TEST_F(MidiInTest, HeaderRulesAndBadArguments) {
  Open();
  char data[8];
  MIDIHDR hdr{};
  hdr.lpData = data;
  hdr.dwBufferLength = sizeof data;
  EXPECT_EQ(midiInAddBuffer(h_, &hdr, sizeof hdr), MIDIERR_UNPREPARED);
  EXPECT_EQ(midiInAddBuffer(h_, &hdr, sizeof hdr - 1), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiInAddBuffer(h_, nullptr, sizeof hdr), MMSYSERR_INVALPARAM);
  ASSERT_EQ(midiInPrepareHeader(h_, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  ASSERT_EQ(midiInAddBuffer(h_, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(midiInAddBuffer(h_, &hdr, sizeof hdr), MIDIERR_STILLPLAYING);
  EXPECT_EQ(midiInUnprepareHeader(h_, &hdr, sizeof hdr), MIDIERR_STILLPLAYING);
  midiInReset(h_);

  HMIDIIN other = nullptr;
  EXPECT_EQ(midiInOpen(&other, 999, 0, 0, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiInOpen(nullptr, in_id_, 0, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiInStart(reinterpret_cast<HMIDIIN>(data)), MMSYSERR_INVALHANDLE);
  // An output handle is not an input handle.
  HMIDIOUT out = nullptr;
  ASSERT_EQ(midiOutOpen(&out, out_id_, 0, 0, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(midiInStart(out), MMSYSERR_INVALHANDLE);
  midiOutClose(out);
  MIDIINCAPS caps{};
  EXPECT_EQ(midiInGetDevCaps(999, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiInGetDevCaps(in_id_, nullptr, sizeof caps), MMSYSERR_INVALPARAM);
}

}  // namespace
}  // namespace platform
