// The entry points with the software module's endpoint faked in-process:
// answers to every message, ports, packets on the wire, callbacks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "driver_fixture.h"
#include "driver_state.h"
#include "fake_endpoint.h"
#include "io_threads.h"
#include "usb_midi_packet.h"
#include "usb_transport.h"

using namespace platform;
using testing::ElementsAre;
using Bytes = std::vector<uint8_t>;

namespace {

class DriverMessages : public testing::Test {
 protected:
  static void SetUpTestSuite() { IsolateDriverEnvironment(); }
  // On the virtual clock: the driver's threads and the test take turns, so
  // every wait ends at the same point on every run, however busy the host.
  void SetUp() override {
    UseVirtualClock();
    endpoint_ = std::make_unique<FakeEndpoint>();
    ASSERT_EQ(DriverProc(0, nullptr, DRV_LOAD, 0, 0), 1);
    TakeCallbackEvents();
  }
  void TearDown() override {
    DriverProc(0, nullptr, DRV_FREE, 0, 0);
    endpoint_.reset();
    UseRealClock();
  }

  // What reached the device once the writer's ring is drained.
  Bytes Sent() {
    cvusb::DrainOutputRing();
    return endpoint_->TakeWritten();
  }
  static DWORD Out(UINT device, UINT message, DWORD_PTR p1 = 0, DWORD_PTR p2 = 0) {
    return modMessage(device, message, 0, p1, p2);
  }
  static DWORD In(UINT device, UINT message, DWORD_PTR p1 = 0, DWORD_PTR p2 = 0) {
    return midMessage(device, message, 0, p1, p2);
  }
  static DWORD_PTR Ptr(const void* p) { return reinterpret_cast<DWORD_PTR>(p); }

  std::unique_ptr<FakeEndpoint> endpoint_;
};

TEST_F(DriverMessages, DriverProcAnswersLoadFreeAndTheRest) {
  for (UINT message : {DRV_ENABLE, DRV_OPEN, DRV_CLOSE, DRV_DISABLE, DRV_CONFIGURE, DRV_INSTALL,
                       DRV_REMOVE, cvusb::kDrvPower}) {
    EXPECT_EQ(DriverProc(0, nullptr, message, 0, 0), 1) << message;
  }
  EXPECT_EQ(DriverProc(0, nullptr, DRV_QUERYCONFIGURE, 0, 0), 0);
}

TEST_F(DriverMessages, PortsAreCountedNamedAndCheckedByDeviceNumber) {
  EXPECT_EQ(Out(0, MODM_GETNUMDEVS), 2u);
  EXPECT_EQ(In(0, MIDM_GETNUMDEVS), 2u);
  MIDIOUTCAPSW out{};
  MIDIINCAPSW in{};
  ASSERT_EQ(Out(1, MODM_GETDEVCAPS, Ptr(&out), sizeof(out)), MMSYSERR_NOERROR);
  EXPECT_EQ(std::u16string(out.szPname), u"Corvane USB MIDI OUT 2");
  EXPECT_EQ(out.wMid, 1);
  EXPECT_EQ(out.wPid, 10);
  EXPECT_EQ(out.vDriverVersion, 0x0100u);
  EXPECT_EQ(out.wTechnology, MOD_SYNTH);
  EXPECT_EQ(out.wVoices, 32);
  EXPECT_EQ(out.wNotes, 32);
  EXPECT_EQ(out.wChannelMask, 0xFFFF);
  ASSERT_EQ(In(0, MIDM_GETDEVCAPS, Ptr(&in), sizeof(in)), MMSYSERR_NOERROR);
  EXPECT_EQ(std::u16string(in.szPname), u"Corvane USB MIDI IN 1");
  EXPECT_EQ(in.wPid, 11);

  EXPECT_EQ(Out(2, MODM_GETDEVCAPS, Ptr(&out), sizeof(out)), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(In(16, MIDM_OPEN), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(Out(0, MODM_GETDEVCAPS, 0, sizeof(out)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Out(0, MODM_GETDEVCAPS, Ptr(&out), sizeof(out) - 1), MMSYSERR_INVALPARAM);
  EXPECT_EQ(In(0, MIDM_GETDEVCAPS, Ptr(&in), sizeof(in) - 1), MMSYSERR_INVALPARAM);
  // Unknown messages; MIDM_UNPREPARE is left to the multimedia layer.
  EXPECT_EQ(Out(0, MODM_GETVOLUME), MMSYSERR_ERROR);  // slot not in use
  EXPECT_EQ(Out(0, 77), MMSYSERR_NOTSUPPORTED);
  EXPECT_EQ(In(0, MIDM_UNPREPARE), MMSYSERR_NOTSUPPORTED);
  EXPECT_EQ(Out(0, DRVM_INIT), MMSYSERR_NOERROR);
  EXPECT_EQ(In(0, cvusb::kDrvmDisable), MMSYSERR_NOERROR);
}

TEST_F(DriverMessages, WithoutTheDeviceCapsFailAndOpenFindsNoDriver) {
  endpoint_.reset();
  EXPECT_EQ(Out(0, MODM_GETNUMDEVS), 2u);
  MIDIOUTCAPSW out{};
  EXPECT_EQ(Out(0, MODM_GETDEVCAPS, Ptr(&out), sizeof(out)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(OpenOutputPort(0), MMSYSERR_NODRIVER);
  EXPECT_EQ(OpenInputPort(1), MMSYSERR_NODRIVER);
  // The failed open left nothing behind: the port opens once the device is there.
  endpoint_ = std::make_unique<FakeEndpoint>();
  EXPECT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
  EXPECT_EQ(Out(0, MODM_CLOSE), MMSYSERR_NOERROR);
}

TEST_F(DriverMessages, OutputPortOpensOnceAndCallsBack) {
  ASSERT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
  EXPECT_EQ(OpenOutputPort(0), MMSYSERR_ALLOCATED);
  EXPECT_EQ(modMessage(1, MODM_OPEN, 0, 0, CALLBACK_FUNCTION), MMSYSERR_INVALPARAM);
  ASSERT_EQ(OpenOutputPort(1), MMSYSERR_NOERROR);  // both cables in one process
  EXPECT_TRUE(cvusb::ThreadRunning(cvusb::PipeDirection::kOut));
  EXPECT_EQ(Out(0, MODM_CLOSE), MMSYSERR_NOERROR);
  EXPECT_TRUE(cvusb::Transport().IsPipeOpen(cvusb::PipeDirection::kOut));
  EXPECT_EQ(Out(1, MODM_CLOSE), MMSYSERR_NOERROR);
  EXPECT_FALSE(cvusb::Transport().IsPipeOpen(cvusb::PipeDirection::kOut));
  EXPECT_FALSE(cvusb::ThreadRunning(cvusb::PipeDirection::kOut));
  EXPECT_EQ(Out(0, MODM_CLOSE), MMSYSERR_ERROR);
  EXPECT_EQ(Out(0, MODM_RESET), MMSYSERR_ERROR);
  EXPECT_THAT(TakeCallbackEvents(),
              ElementsAre(CallbackEvent{MOM_OPEN, 0, 0, 0}, CallbackEvent{MOM_OPEN, 1, 0, 0},
                          CallbackEvent{MOM_CLOSE, 0, 0, 0}, CallbackEvent{MOM_CLOSE, 1, 0, 0}));
}

TEST_F(DriverMessages, ShortMessagesGoOutAsSingleBytePacketsOnTheirCable) {
  ASSERT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
  ASSERT_EQ(OpenOutputPort(1), MMSYSERR_NOERROR);
  EXPECT_EQ(Out(0, MODM_DATA, 0x643C90), MMSYSERR_NOERROR);
  EXPECT_EQ(Out(1, MODM_DATA, 0x643C90), MMSYSERR_NOERROR);
  EXPECT_EQ(Out(0, MODM_DATA, 0x643C), MMSYSERR_NOERROR);  // data byte first: nothing
  EXPECT_EQ(Out(0, MODM_RESET), MMSYSERR_NOERROR);         // no notes switched off
  EXPECT_EQ(Sent(), (Bytes{0x0F, 0x90, 0, 0, 0x0F, 0x3C, 0, 0, 0x0F, 0x64, 0, 0,  //
                           0x1F, 0x90, 0, 0, 0x1F, 0x3C, 0, 0, 0x1F, 0x64, 0, 0}));
  Out(0, MODM_CLOSE);
  Out(1, MODM_CLOSE);
}

TEST_F(DriverMessages, LongMessagesNeedPreparedHeadersAndComeBackDone) {
  ASSERT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
  char data[] = "\xF0\x41\x10\x42\x12\x40\xF7";
  MIDIHDR header{};
  header.lpData = data;
  header.dwBufferLength = 7;
  header.dwBytesRecorded = 1;  // the full length is sent, not bytes recorded
  EXPECT_EQ(Out(0, MODM_LONGDATA, Ptr(&header), sizeof(header)), MIDIERR_UNPREPARED);
  EXPECT_EQ(Out(0, MODM_PREPARE, Ptr(&header), sizeof(header) - 1), MMSYSERR_INVALPARAM);
  ASSERT_EQ(Out(0, MODM_PREPARE, Ptr(&header), sizeof(header)), MMSYSERR_NOERROR);
  TakeCallbackEvents();
  EXPECT_EQ(Out(0, MODM_LONGDATA, Ptr(&header), sizeof(header)), MMSYSERR_NOERROR);
  EXPECT_EQ(header.dwFlags, MHDR_PREPARED | MHDR_DONE);
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(CallbackEvent{MOM_DONE, 0, Ptr(&header), 0}));
  EXPECT_EQ(Sent(), (Bytes{0x04, 0xF0, 0x41, 0x10, 0x04, 0x42, 0x12, 0x40, 0x05, 0xF7, 0, 0}));
  EXPECT_EQ(Out(0, MODM_UNPREPARE, Ptr(&header), sizeof(header)), MMSYSERR_NOERROR);
  EXPECT_EQ(header.dwFlags, MHDR_DONE);
  Out(0, MODM_CLOSE);
}

TEST_F(DriverMessages, LongMessagesLargerThanOneTransferArriveWhole) {
  ASSERT_EQ(OpenOutputPort(1), MMSYSERR_NOERROR);
  std::vector<char> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 0x80);
  data.front() = static_cast<char>(0xF0);
  data.back() = static_cast<char>(0xF7);
  MIDIHDR header{};
  header.lpData = data.data();
  header.dwBufferLength = static_cast<DWORD>(data.size());
  Out(1, MODM_PREPARE, Ptr(&header), sizeof(header));
  ASSERT_EQ(Out(1, MODM_LONGDATA, Ptr(&header), sizeof(header)), MMSYSERR_NOERROR);
  const Bytes sent = Sent();
  ASSERT_EQ(sent.size(), 334u * 4);
  Bytes payload;
  cvusb::ForEachPacket(sent.data(), sent.size(), [&](uint8_t cable, const uint8_t* b, int n) {
    EXPECT_EQ(cable, 1);
    payload.insert(payload.end(), b, b + n);
  });
  EXPECT_EQ(payload, Bytes(data.begin(), data.end()));
  Out(1, MODM_CLOSE);
}

TEST_F(DriverMessages, AFullRingDropsWholeMessagesAndStillSucceeds) {
  // The pipe without a writer thread, so the ring keeps what is queued.
  auto& transport = cvusb::Transport();
  ASSERT_TRUE(transport.OpenPipe(cvusb::PipeDirection::kOut));
  const Bytes filler(49990, 0);
  ASSERT_TRUE(transport.QueueOutput(filler.data(), filler.size()));
  const Bytes message(12, 0x0F);
  EXPECT_TRUE(transport.QueueOutput(message.data(), message.size()));
  EXPECT_EQ(transport.PendingOutput(), 49990u);
  const Bytes ten(10, 0x0F);
  EXPECT_TRUE(transport.QueueOutput(ten.data(), ten.size()));
  EXPECT_EQ(transport.PendingOutput(), 50000u);
  // A block that does not fit is dropped whole, not cut.
  const uint8_t sysex[] = {0xF0, 0x01, 0xF7};
  EXPECT_TRUE(transport.QueueSysex(0, sysex, sizeof(sysex)));
  EXPECT_EQ(transport.PendingOutput(), 50000u);
  {
    std::lock_guard guard(transport.ring_lock());
    transport.ring().Consume(8);
  }
  EXPECT_TRUE(transport.QueueSysex(0, sysex, sizeof(sysex)));
  EXPECT_EQ(transport.PendingOutput(), 49996u);
  // The ring wraps: everything queued reaches the device in order.
  const Bytes sent = Sent();
  ASSERT_EQ(sent.size(), 49996u);
  EXPECT_EQ(Bytes(sent.end() - 4, sent.end()), (Bytes{0x07, 0xF0, 0x01, 0xF7}));
  transport.ClosePipe(cvusb::PipeDirection::kOut);
  EXPECT_FALSE(transport.QueueOutput(message.data(), message.size()));
}

TEST_F(DriverMessages, AFailedWriteClosesThePipeAndLaterSendsAreNotEnabled) {
  ASSERT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
  endpoint_->Unplug();
  EXPECT_EQ(Out(0, MODM_DATA, 0x643C90), MMSYSERR_NOERROR);
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(cvusb::Transport().IsPipeOpen(cvusb::PipeDirection::kOut));
  EXPECT_EQ(cvusb::Transport().PendingOutput(), 0u);
  EXPECT_EQ(Out(0, MODM_DATA, 0x643C90), MMSYSERR_NOTENABLED);
  char data[] = "\xF0\xF7";
  MIDIHDR header{};
  header.lpData = data;
  header.dwBufferLength = 2;
  Out(0, MODM_PREPARE, Ptr(&header), sizeof(header));
  EXPECT_EQ(Out(0, MODM_LONGDATA, Ptr(&header), sizeof(header)), MMSYSERR_NOTENABLED);
  MIDIOUTCAPSW caps{};
  EXPECT_EQ(Out(0, MODM_GETDEVCAPS, Ptr(&caps), sizeof(caps)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Out(0, MODM_CLOSE), MMSYSERR_NOERROR);
  // Plugged in again, a new open brings the pipe back.
  endpoint_->Replug();
  ASSERT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
  EXPECT_EQ(Out(0, MODM_DATA, 0xF8), MMSYSERR_NOERROR);
  EXPECT_EQ(Sent(), (Bytes{0x0F, 0xF8, 0, 0}));
  Out(0, MODM_CLOSE);
}

TEST_F(DriverMessages, TheWriterThreadDeliversQueuedMessagesByItself) {
  ASSERT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
  ASSERT_EQ(Out(0, MODM_DATA, 0x7F40B0), MMSYSERR_NOERROR);
  Bytes seen;
  EXPECT_TRUE(WaitFor([&] {
    const Bytes more = endpoint_->TakeWritten();
    seen.insert(seen.end(), more.begin(), more.end());
    return seen.size() >= 12;
  }));
  EXPECT_EQ(seen, (Bytes{0x0F, 0xB0, 0, 0, 0x0F, 0x40, 0, 0, 0x0F, 0x7F, 0, 0}));
  // What is queued right before the close still goes out.
  ASSERT_EQ(Out(0, MODM_DATA, 0xFC), MMSYSERR_NOERROR);
  EXPECT_EQ(Out(0, MODM_CLOSE), MMSYSERR_NOERROR);
  EXPECT_EQ(endpoint_->TakeWritten(), (Bytes{0x0F, 0xFC, 0, 0}));
}

}  // namespace
