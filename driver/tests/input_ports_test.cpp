// Input ports through midMessage with the module's endpoint faked
// in-process: buffers, start/stop/reset, the reader thread and a pipe that
// disappears.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "driver_fixture.h"
#include "fake_endpoint.h"
#include "io_threads.h"
#include "usb_transport.h"

using namespace platform;
using testing::ElementsAre;
using Bytes = std::vector<uint8_t>;

namespace {

class InputPorts : public testing::Test {
 protected:
  static void SetUpTestSuite() { IsolateDriverEnvironment(); }
  // On the virtual clock, as the driver's message tests.
  void SetUp() override {
    UseVirtualClock();
    endpoint_ = std::make_unique<FakeEndpoint>();
    ASSERT_EQ(DriverProc(0, nullptr, DRV_LOAD, 0, 0), 1);
    TakeCallbackEvents();
    ASSERT_EQ(OpenInputPort(0), MMSYSERR_NOERROR);
    ASSERT_EQ(OpenInputPort(1), MMSYSERR_NOERROR);
    EXPECT_THAT(TakeCallbackEvents(),
                ElementsAre(CallbackEvent{MIM_OPEN, 0, 0, 0}, CallbackEvent{MIM_OPEN, 1, 0, 0}));
  }
  void TearDown() override {
    DriverProc(0, nullptr, DRV_FREE, 0, 0);
    endpoint_.reset();
    UseRealClock();
  }

  static DWORD In(UINT device, UINT message, DWORD_PTR p1 = 0, DWORD_PTR p2 = 0) {
    return midMessage(device, message, 0, p1, p2);
  }
  static DWORD_PTR Ptr(const void* p) { return reinterpret_cast<DWORD_PTR>(p); }
  MIDIHDR* AddBuffer(UINT device, size_t length) {
    storage_.push_back(std::make_unique<char[]>(length));
    headers_.push_back(std::make_unique<MIDIHDR>());
    MIDIHDR* header = headers_.back().get();
    header->lpData = storage_.back().get();
    header->dwBufferLength = static_cast<DWORD>(length);
    EXPECT_EQ(In(device, MIDM_PREPARE, Ptr(header), sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(In(device, MIDM_ADDBUFFER, Ptr(header), sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    return header;
  }
  // Starts a port at a known tick: its stamps are read time - tick + 1.
  static uint32_t Start(UINT device) {
    const uint32_t now = GetTickCount();
    EXPECT_EQ(In(device, MIDM_START), MMSYSERR_NOERROR);
    return now;
  }

  std::unique_ptr<FakeEndpoint> endpoint_;
  std::vector<std::unique_ptr<char[]>> storage_;
  std::vector<std::unique_ptr<MIDIHDR>> headers_;
};

TEST_F(InputPorts, PacketsGoToThePortOfTheirCable) {
  Start(0);
  Start(1);
  const uint32_t t = GetTickCount() + 5;
  const Bytes packets{0x19, 0x90, 0x3C, 0x64,   // cable 1: port 2
                      0x00, 0x90, 0x3C, 0x64,   // code index 0: nothing
                      0x01, 0xF8, 0x00, 0x00,   // code index 1: nothing
                      0x0B, 0xB0, 0x07, 0x64};  // cable 0: port 1
  cvusb::DispatchInputPackets(packets.data(), packets.size(), t);
  const auto events = TakeCallbackEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].instance, 1u);
  EXPECT_EQ(events[0].param1, 0x643C90u);
  EXPECT_EQ(events[1].instance, 0u);
  EXPECT_EQ(events[1].param1, 0x6407B0u);
  EXPECT_GT(events[0].param2, 0u);
  EXPECT_EQ(In(0, MIDM_STOP), MMSYSERR_NOERROR);
  EXPECT_EQ(In(1, MIDM_STOP), MMSYSERR_NOERROR);
}

TEST_F(InputPorts, TheReaderThreadFeedsThePortsWithStampsFromStart) {
  const uint32_t started = Start(0);
  endpoint_->QueueInput({0x09, 0x90, 0x3C, 0x64, 0x0F, 0xF8, 0x00, 0x00});
  std::vector<CallbackEvent> events;
  EXPECT_TRUE(WaitFor([&] {
    for (const auto& e : TakeCallbackEvents()) events.push_back(e);
    return events.size() >= 2;
  }));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].message, MIM_DATA);
  EXPECT_EQ(events[0].param1, 0x643C90u);
  EXPECT_EQ(events[1].param1, 0xF8u);
  EXPECT_GE(events[0].param2, 1u);
  EXPECT_LE(events[0].param2, GetTickCount() - started + 1);
  In(0, MIDM_STOP);
}

TEST_F(InputPorts, BuffersQueueOnceAndComeBackOnStopAndReset) {
  MIDIHDR* first = AddBuffer(0, 16);
  MIDIHDR* second = AddBuffer(0, 16);
  EXPECT_EQ(In(0, MIDM_ADDBUFFER, Ptr(first), sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
  MIDIHDR unprepared{};
  EXPECT_EQ(In(0, MIDM_ADDBUFFER, Ptr(&unprepared), sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
  EXPECT_EQ(In(0, MIDM_ADDBUFFER, 0, sizeof(MIDIHDR)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(In(0, MIDM_CLOSE), MIDIERR_STILLPLAYING);

  Start(0);
  const Bytes partial{0x04, 0xF0, 0x01, 0x02};
  cvusb::DispatchInputPackets(partial.data(), partial.size(), GetTickCount() + 1);
  EXPECT_EQ(In(0, MIDM_STOP), MMSYSERR_NOERROR);  // hands back the block in progress
  EXPECT_EQ(first->dwBytesRecorded, 3u);
  EXPECT_EQ(first->dwFlags, MHDR_PREPARED | MHDR_DONE);
  EXPECT_EQ(In(0, MIDM_RESET), MMSYSERR_NOERROR);  // hands back the rest, empty
  EXPECT_EQ(second->dwBytesRecorded, 0u);
  EXPECT_EQ(second->dwFlags, MHDR_PREPARED | MHDR_DONE);
  const auto events = TakeCallbackEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].message, MIM_LONGDATA);
  EXPECT_EQ(events[0].param1, Ptr(first));
  EXPECT_EQ(events[1].param1, Ptr(second));
  EXPECT_EQ(In(0, MIDM_CLOSE), MMSYSERR_NOERROR);
  EXPECT_EQ(In(0, MIDM_CLOSE), MMSYSERR_ERROR);
}

TEST_F(InputPorts, AStartedPortCannotClose) {
  Start(1);
  EXPECT_EQ(In(1, MIDM_CLOSE), MIDIERR_STILLPLAYING);
  EXPECT_EQ(In(1, MIDM_STOP), MMSYSERR_NOERROR);
  EXPECT_EQ(In(1, MIDM_CLOSE), MMSYSERR_NOERROR);
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(CallbackEvent{MIM_CLOSE, 1, 0, 0}));
}

TEST_F(InputPorts, APipeThatDisappearsIsClosedAndPortsStillCloseAtOnce) {
  Start(0);
  const int reads = endpoint_->reads();
  ASSERT_TRUE(WaitFor([&] { return endpoint_->reads() > reads; }));
  endpoint_->Unplug();
  EXPECT_TRUE(WaitFor([] { return !cvusb::Transport().IsPipeOpen(cvusb::PipeDirection::kIn); }));
  MIDIINCAPSW caps{};
  EXPECT_EQ(In(0, MIDM_GETDEVCAPS, Ptr(&caps), sizeof(caps)), MMSYSERR_INVALPARAM);
  In(0, MIDM_STOP);
  EXPECT_EQ(In(0, MIDM_CLOSE), MMSYSERR_NOERROR);
  EXPECT_EQ(In(1, MIDM_CLOSE), MMSYSERR_NOERROR);
  // The reader rests while the pipe is closed, yet it stopped within the
  // close: the thread was joined, not left behind.
  EXPECT_FALSE(cvusb::ThreadRunning(cvusb::PipeDirection::kIn));
}

// What the reader stamps, on the virtual clock, for input the device has at
// scattered times and for echoes of what is written to it.
struct ReadOutcome {
  std::vector<std::pair<DWORD_PTR, DWORD_PTR>> messages;  // (message, stamp)
  int reads = 0;
};

// How the reader may look: every 2 ms, waiting for the device's next input,
// or in batches for a client that keeps only time stamps.
enum class Looks { kPolled, kWaited, kBatched };

// With `stop_after` input messages, the port stops between that one's
// time and the next's.
ReadOutcome ReadOnTheVirtualClock(Looks looks, int stop_after = 40) {
  UseVirtualClock();
  ReadOutcome outcome;
  {
    FakeEndpoint endpoint(looks != Looks::kPolled, looks == Looks::kBatched);
    endpoint.EchoWrites();
    EXPECT_EQ(DriverProc(0, nullptr, DRV_LOAD, 0, 0), 1);
    EXPECT_EQ(OpenInputPort(0, true, looks == Looks::kBatched ? MIDI_IO_BATCHED : 0),
              MMSYSERR_NOERROR);
    EXPECT_EQ(OpenOutputPort(0), MMSYSERR_NOERROR);
    EXPECT_EQ(midMessage(0, MIDM_START, 0, 0, 0), MMSYSERR_NOERROR);
    const uint64_t t0 = GetMicroseconds();
    uint64_t at = t0;
    uint64_t stop_at = 0;
    for (uint8_t i = 0; i < 40; ++i) {
      const uint64_t gap = 137 + (i * 7919u) % 23000;  // from 0.1 to 23 ms
      if (i == stop_after) stop_at = at + gap / 2;
      at += gap;
      endpoint.ScheduleInput(at, {0x09, 0x90, i, 0x64});
    }
    if (stop_at == 0) stop_at = at + 10000;
    for (uint8_t i = 0; i < 20 && t0 + 3000 + i * 9973u < stop_at; ++i) {
      SleepUntilMicroseconds(t0 + 3000 + i * 9973u);
      EXPECT_EQ(modMessage(0, MODM_DATA, 0, 0x4000B0u | (i << 8), 0), MMSYSERR_NOERROR);
    }
    SleepUntilMicroseconds(stop_at);
    midMessage(0, MIDM_STOP, 0, 0, 0);
    SleepUntilMicroseconds(at + 10000);  // what comes after the stop is not delivered
    for (const auto& e : TakeCallbackEvents()) {
      if (e.message == MIM_DATA) outcome.messages.emplace_back(e.param1, e.param2);
    }
    outcome.reads = endpoint.reads();
    modMessage(0, MODM_CLOSE, 0, 0, 0);
    midMessage(0, MIDM_CLOSE, 0, 0, 0);
    DriverProc(0, nullptr, DRV_FREE, 0, 0);
  }
  UseRealClock();
  TakeCallbackEvents();
  return outcome;
}

// Waiting for the device's next input instead of looking every 2 ms reads
// the same messages with the same stamps, with a fraction of the looks.
TEST(InputReader, WaitingForInputStampsLikePollingWithFewerReads) {
  IsolateDriverEnvironment();
  const ReadOutcome polled = ReadOnTheVirtualClock(Looks::kPolled);
  const ReadOutcome waited = ReadOnTheVirtualClock(Looks::kWaited);
  EXPECT_EQ(polled.messages.size(), 60u);
  EXPECT_EQ(waited.messages, polled.messages);
  EXPECT_LT(waited.reads * 4, polled.reads);
}

// A client that keeps only time stamps gets the messages in batches, late,
// yet each with the stamp a 2 ms look would have given it; a stop hands
// over what came before it and nothing after, wherever it falls between
// two looks.
TEST(InputReader, BatchesCarryThePolledStampsUpToTheStop) {
  IsolateDriverEnvironment();
  const ReadOutcome polled = ReadOnTheVirtualClock(Looks::kPolled);
  const ReadOutcome batched = ReadOnTheVirtualClock(Looks::kBatched);
  EXPECT_EQ(batched.messages, polled.messages);
  EXPECT_LT(batched.reads * 8, polled.reads);
  for (int stop_after : {1, 9, 17, 25, 33}) {
    const ReadOutcome polled_part = ReadOnTheVirtualClock(Looks::kPolled, stop_after);
    const ReadOutcome batched_part = ReadOnTheVirtualClock(Looks::kBatched, stop_after);
    EXPECT_LT(polled_part.messages.size(), polled.messages.size());
    EXPECT_EQ(batched_part.messages, polled_part.messages) << "stop after " << stop_after;
  }
}

}  // namespace
