#include <gtest/gtest.h>

#include "midi_test_util.h"
#include "platform/host_window.h"
#include "platform/mmsystem.h"

namespace platform {
namespace {

using testing::LoopbackTest;
using testing::Recorder;
using Bytes = std::vector<uint8_t>;

class MidiOutTest : public LoopbackTest {};

TEST_F(MidiOutTest, PortsAreListedWithNamesCutTo31Characters) {
  const UINT before = midiOutGetNumDevs();
  ASSERT_EQ(CreateLoopbackOutput("A very long loopback port name that goes on"), 0);
  EXPECT_EQ(CreateLoopbackOutput("Loop A"), -1);  // names are unique
  ASSERT_EQ(midiOutGetNumDevs(), before + 1);
  MIDIOUTCAPS caps{};
  ASSERT_EQ(midiOutGetDevCaps(out_id_ + 1, &caps, sizeof caps), MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "A very long loopback port name ");
  EXPECT_EQ(midiOutGetDevCaps(midiOutGetNumDevs(), &caps, sizeof caps), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiOutGetDevCaps(0, nullptr, sizeof caps), MMSYSERR_INVALPARAM);
}

TEST_F(MidiOutTest, BadHandlesAndArgumentsGiveTheirCodes) {
  HMIDIOUT h = nullptr;
  EXPECT_EQ(midiOutOpen(nullptr, out_id_, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiOutOpen(&h, 999, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiOutOpen(&h, out_id_, 0, 0, CALLBACK_FUNCTION), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiOutOpen(&h, out_id_, 0, 0, CALLBACK_THREAD), MMSYSERR_INVALFLAG);
  EXPECT_EQ(h, nullptr);

  int not_a_handle = 0;
  auto* bogus = reinterpret_cast<HMIDIOUT>(&not_a_handle);
  EXPECT_EQ(midiOutShortMsg(bogus, 0x90), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiOutClose(nullptr), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiOutReset(bogus), MMSYSERR_INVALHANDLE);

  ASSERT_EQ(midiOutOpen(&h, out_id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutPrepareHeader(h, nullptr, sizeof(MIDIHDR)), MMSYSERR_INVALPARAM);
  MIDIHDR hdr{};
  char data[4] = {};
  hdr.lpData = data;
  hdr.dwBufferLength = 4;
  EXPECT_EQ(midiOutPrepareHeader(h, &hdr, sizeof(MIDIHDR) - 1), MMSYSERR_INVALPARAM);
  MIDIHDR empty{};
  EXPECT_EQ(midiOutPrepareHeader(h, &empty, sizeof empty), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutShortMsg(h, 0x90), MMSYSERR_INVALHANDLE);  // closed
}

TEST_F(MidiOutTest, ShortMessagesCarryTheBytesTheirStatusNeeds) {
  HMIDIOUT h = nullptr;
  ASSERT_EQ(midiOutOpen(&h, out_id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  Sleep(5);
  EXPECT_EQ(midiOutShortMsg(h, 0x643C90), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutShortMsg(h, 0x0005C1), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutShortMsg(h, 0x0000F8), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutShortMsg(h, 0x00003C), MMSYSERR_NOERROR);  // data byte: nothing sent
  EXPECT_EQ(Sent(),
            (std::vector<LoopbackMessage>{
                {5000, Bytes{0x90, 0x3C, 0x64}}, {5000, Bytes{0xC1, 0x05}}, {5000, Bytes{0xF8}}}));
  EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(MidiOutTest, LongMessageHeaderFlagsFollowPrepareSendUnprepare) {
  Recorder rec;
  HMIDIOUT h = nullptr;
  ASSERT_EQ(midiOutOpen(&h, out_id_, rec.fn(), rec.self(), CALLBACK_FUNCTION), MMSYSERR_NOERROR);
  char sysex[] = {char(0xF0), 0x41, 0x10, 0x42, char(0xF7)};
  MIDIHDR hdr{};
  hdr.lpData = sysex;
  hdr.dwBufferLength = sizeof sysex;
  hdr.dwFlags = MHDR_DONE | MHDR_INQUEUE;  // stale flags from earlier use

  EXPECT_EQ(midiOutLongMsg(h, &hdr, sizeof hdr), MIDIERR_UNPREPARED);
  ASSERT_EQ(midiOutPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(hdr.dwFlags, MHDR_PREPARED);
  EXPECT_EQ(midiOutPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);  // again: no change
  ASSERT_EQ(midiOutLongMsg(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(hdr.dwFlags, MHDR_PREPARED | MHDR_DONE);
  EXPECT_EQ(Sent(), (std::vector<LoopbackMessage>{{0, Bytes{0xF0, 0x41, 0x10, 0x42, 0xF7}}}));

  hdr.dwFlags |= MHDR_INQUEUE;  // as if still being sent
  EXPECT_EQ(midiOutLongMsg(h, &hdr, sizeof hdr), MIDIERR_STILLPLAYING);
  EXPECT_EQ(midiOutUnprepareHeader(h, &hdr, sizeof hdr), MIDIERR_STILLPLAYING);
  hdr.dwFlags &= ~MHDR_INQUEUE;
  EXPECT_EQ(midiOutUnprepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(hdr.dwFlags, MHDR_DONE);
  EXPECT_EQ(midiOutUnprepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutClose(h), MMSYSERR_NOERROR);

  const auto calls = rec.Take();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].msg, MOM_OPEN);
  EXPECT_EQ(calls[1].msg, MOM_DONE);
  EXPECT_EQ(calls[1].p1, reinterpret_cast<DWORD_PTR>(&hdr));
  EXPECT_EQ(calls[2].msg, MOM_CLOSE);
}

TEST_F(MidiOutTest, ResetSwitchesOffOnlyTheNotesStillSounding) {
  HMIDIOUT h = nullptr;
  ASSERT_EQ(midiOutOpen(&h, out_id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  midiOutShortMsg(h, 0x643C90);  // on
  midiOutShortMsg(h, 0x704093);  // on, channel 4
  midiOutShortMsg(h, 0x004093);  // velocity 0: off
  midiOutShortMsg(h, 0x503E90);  // on
  midiOutShortMsg(h, 0x403E80);  // off
  Sent();
  EXPECT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
  EXPECT_EQ(Sent(), (std::vector<LoopbackMessage>{{0, Bytes{0x80, 0x3C, 0x00}}}));
  EXPECT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
  EXPECT_TRUE(Sent().empty());
  midiOutClose(h);
}

TEST_F(MidiOutTest, WindowAndEventCallbacksDeliverEveryMessage) {
  const HWND wnd = CreateHostWindow();
  HMIDIOUT h = nullptr;
  ASSERT_EQ(midiOutOpen(&h, out_id_, DWORD_PTR(wnd), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  midiOutClose(h);
  Msg m;
  ASSERT_TRUE(PeekMessage(wnd, &m));
  EXPECT_EQ(m.message, MM_MOM_OPEN);
  EXPECT_EQ(m.wParam, reinterpret_cast<long>(h));
  ASSERT_TRUE(PeekMessage(wnd, &m));
  EXPECT_EQ(m.message, MM_MOM_CLOSE);
  DestroyHostWindow(wnd);

  Event ev;
  ASSERT_EQ(midiOutOpen(&h, out_id_, reinterpret_cast<DWORD_PTR>(&ev), 0, CALLBACK_EVENT),
            MMSYSERR_NOERROR);
  EXPECT_TRUE(ev.Wait(0));
  midiOutClose(h);
  EXPECT_TRUE(ev.Wait(0));
}

TEST_F(MidiOutTest, APortRemovedWhileOpenKeepsWorkingUntilClosed) {
  HMIDIOUT h = nullptr;
  ASSERT_EQ(midiOutOpen(&h, out_id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  RemoveLoopbackOutput("Loop A");
  EXPECT_EQ(testing::OutIdOf("Loop A"), -1);
  EXPECT_EQ(midiOutShortMsg(h, 0x90), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
}

}  // namespace
}  // namespace platform
