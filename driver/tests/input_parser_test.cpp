// The input byte parser of one port: running status, system exclusive into
// client buffers, real-time bytes inside a block, time stamps from start.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "driver_fixture.h"
#include "input_port.h"

using namespace platform;
using testing::ElementsAre;

namespace {

void Recorder(HMIDI, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
  RecordCallback(message, instance, param1, param2);
}

class InputParser : public testing::Test {
 protected:
  void SetUp() override {
    TakeCallbackEvents();
    MIDIOPENDESC desc{};
    desc.hMidi = reinterpret_cast<HMIDI>(FakeHandle(0));
    desc.dwCallback = reinterpret_cast<DWORD_PTR>(&Recorder);
    desc.dwInstance = 7;
    cvusb::ResetInputPort(port_);
    port_.client = cvusb::BindClient(desc, CALLBACK_FUNCTION);
  }

  void Start(uint32_t now) {
    port_.started = true;
    port_.start_tick = now - 1;
  }
  void Feed(std::initializer_list<uint8_t> bytes, uint32_t read_time) {
    for (uint8_t b : bytes) cvusb::ParseInputByte(port_, b, read_time);
  }
  MIDIHDR* AddBuffer(size_t length) {
    storage_.push_back(std::make_unique<char[]>(length));
    headers_.push_back(std::make_unique<MIDIHDR>());
    MIDIHDR* header = headers_.back().get();
    header->lpData = storage_.back().get();
    header->dwBufferLength = static_cast<DWORD>(length);
    header->dwFlags = MHDR_PREPARED | MHDR_INQUEUE;
    cvusb::QueueInputBuffer(port_, header);
    return header;
  }
  static std::string Recorded(const MIDIHDR* header) {
    return std::string(header->lpData, header->dwBytesRecorded);
  }
  static CallbackEvent Data(uint32_t message, uint32_t stamp) {
    return {MIM_DATA, 7, message, stamp};
  }
  static CallbackEvent Long(const MIDIHDR* header, uint32_t stamp) {
    return {MIM_LONGDATA, 7, reinterpret_cast<DWORD_PTR>(header), stamp};
  }

  cvusb::InputPort port_;
  std::vector<std::unique_ptr<char[]>> storage_;
  std::vector<std::unique_ptr<MIDIHDR>> headers_;
};

TEST_F(InputParser, ChannelMessagesUseRunningStatusAndStampsFromStart) {
  Start(1000);
  Feed({0x90, 0x3C, 0x64}, 1010);
  Feed({0x3C, 0x00}, 1020);
  Feed({0xC5, 0x11, 0x12}, 1030);  // one data byte each, running status
  Feed({0xF2, 0x01, 0x02}, 1040);  // song position: two data bytes
  EXPECT_THAT(TakeCallbackEvents(),
              ElementsAre(Data(0x643C90, 11), Data(0x3C90, 21), Data(0x11C5, 31), Data(0x12C5, 31),
                          Data(0x0201F2, 41)));
}

TEST_F(InputParser, NothingIsDeliveredOrStoredBeforeStart) {
  MIDIHDR* header = AddBuffer(16);
  Feed({0xF0, 0x01, 0x02, 0xF7, 0x90, 0x3C, 0x64, 0xF8}, 500);
  EXPECT_TRUE(TakeCallbackEvents().empty());
  EXPECT_EQ(header->dwBytesRecorded, 0u);

  Start(600);
  Feed({0x3C, 0x00}, 605);  // the status survives the stop
  // Bytes read before the start (a read that raced MIDM_START) are not
  // delivered with a wrapped-around stamp.
  Feed({0x3D, 0x00}, 590);
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(Data(0x3C90, 6)));
}

TEST_F(InputParser, RealTimeBytesInsideABlockAreDeliveredAndTheBlockContinues) {
  Start(0);
  MIDIHDR* header = AddBuffer(64);
  Feed({0xF0, 0x41, 0x10}, 5);
  Feed({0xF8}, 6);
  Feed({0x42, 0x12, 0xFE, 0x40, 0xF7}, 7);
  EXPECT_EQ(Recorded(header), std::string("\xF0\x41\x10\x42\x12\x40\xF7"));
  EXPECT_EQ(header->dwFlags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(Data(0xF8, 7), Data(0xFE, 8), Long(header, 6)));
  EXPECT_EQ(port_.queue, nullptr);
}

TEST_F(InputParser, AStatusByteEndsAnOpenBlockWithF7) {
  Start(0);
  MIDIHDR* first = AddBuffer(64);
  Feed({0xF0, 0x01, 0x02, 0x90, 0x3C, 0x64}, 9);
  EXPECT_EQ(Recorded(first), std::string("\xF0\x01\x02\xF7"));
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(Long(first, 10), Data(0x643C90, 10)));
}

TEST_F(InputParser, AFullBufferGoesBackAtOnceAndTheRestOfItsBlockIsDropped) {
  Start(0);
  MIDIHDR* first = AddBuffer(4);
  MIDIHDR* second = AddBuffer(8);
  Feed({0xF0, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7}, 3);
  EXPECT_EQ(Recorded(first), std::string("\xF0\x01\x02\x03"));
  EXPECT_EQ(second->dwBytesRecorded, 0u);
  Feed({0xF0, 0x06, 0xF7}, 4);
  EXPECT_EQ(Recorded(second), std::string("\xF0\x06\xF7"));
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(Long(first, 4), Long(second, 5)));
}

TEST_F(InputParser, BlocksWithoutABufferAreDroppedWithoutNotice) {
  Start(0);
  Feed({0xF0, 0x01, 0x02, 0xF7}, 3);
  MIDIHDR* header = AddBuffer(8);
  Feed({0xF0, 0x03, 0xF7}, 4);
  EXPECT_EQ(Recorded(header), std::string("\xF0\x03\xF7"));
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(Long(header, 5)));
}

TEST_F(InputParser, StrayBytesAreIgnoredAndOneByteCommonMessagesDelivered) {
  Start(0);
  Feed({0x3C, 0x40}, 2);  // data with no status
  Feed({0xF7}, 2);        // end without a block
  Feed({0xF6}, 3);        // tune request
  Feed({0x10}, 3);        // F6 takes no data
  Feed({0xB0, 0x07}, 4);  // incomplete ...
  Feed({0xF8}, 5);        // ... real time does not disturb it
  Feed({0x64}, 6);
  EXPECT_THAT(TakeCallbackEvents(), ElementsAre(Data(0xF6, 4), Data(0xF8, 6), Data(0x6407B0, 5)));
}

}  // namespace
