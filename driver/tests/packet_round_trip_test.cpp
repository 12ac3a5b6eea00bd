// Round trip: random MIDI on all 16 cables (channel and common messages,
// system exclusive with real-time bytes interleaved between its packets),
// packed into USB-MIDI packets, interleaved across cables, parsed back by
// the input ports: every cable yields exactly the messages it was given.
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <random>

#include "driver_fixture.h"
#include "input_port.h"
#include "usb_midi_packet.h"

using namespace platform;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int kCables = 16;
constexpr size_t kBufferBytes = 64;

struct Item {
  bool long_data;
  Bytes bytes;  // the packed short message's bytes, or the block
  bool operator==(const Item&) const = default;
};

Bytes ShortBytes(uint32_t message) {
  const int n = midibytes::MessageLength(static_cast<uint8_t>(message));
  Bytes out;
  for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(message >> (8 * i)));
  return out;
}

void Recorder(HMIDI, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
  RecordCallback(message, instance, param1, param2);
}

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  // Appends one random message of `cable` to its packets and its expected items.
  void Next(uint8_t cable, std::deque<Bytes>& packets, std::vector<Item>& expected) {
    const int kind = Pick(0, 9);
    if (kind < 5) {
      const uint8_t status = static_cast<uint8_t>(Pick(0x80, 0xEF));
      const int data = (status & 0xE0) == 0xC0 ? 1 : 2;
      Short(cable, status, data, packets, expected);
    } else if (kind == 5) {
      const uint8_t common[] = {0xF1, 0xF2, 0xF3, 0xF6};
      const uint8_t status = common[Pick(0, 3)];
      Short(cable, status, status == 0xF2 ? 2 : status == 0xF6 ? 0 : 1, packets, expected);
    } else if (kind == 6) {
      Short(cable, static_cast<uint8_t>(Pick(0xF8, 0xFF)), 0, packets, expected);
    } else {
      Sysex(cable, packets, expected);
    }
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  uint8_t Data() { return static_cast<uint8_t>(Pick(0, 0x7F)); }

  void Short(uint8_t cable, uint8_t status, int data, std::deque<Bytes>& packets,
             std::vector<Item>& expected) {
    uint32_t message = status;
    for (int i = 0; i < data; ++i) message |= static_cast<uint32_t>(Data()) << (8 * (i + 1));
    expected.push_back({false, ShortBytes(message)});
    if (Pick(0, 1) == 0) {
      // As the driver sends: one single-byte packet per byte.
      uint8_t out[12];
      const size_t n = cvusb::PackShortMessage(cable, message, out);
      for (size_t at = 0; at < n; at += 4) packets.emplace_back(out + at, out + at + 4);
      return;
    }
    // As a device sends: the whole message in one packet.
    uint8_t code;
    if (status < 0xF0) {
      code = status >> 4;
    } else if (status >= 0xF8 || status == 0xF6) {
      code = status >= 0xF8 ? 0xF : 0x5;
    } else {
      code = data == 1 ? 0x2 : 0x3;
    }
    packets.push_back({static_cast<uint8_t>(cable << 4 | code), static_cast<uint8_t>(message),
                       static_cast<uint8_t>(message >> 8), static_cast<uint8_t>(message >> 16)});
  }

  void Sysex(uint8_t cable, std::deque<Bytes>& packets, std::vector<Item>& expected) {
    Bytes block{0xF0};
    const int length = Pick(0, static_cast<int>(kBufferBytes) - 2);
    for (int i = 0; i < length; ++i) block.push_back(Data());
    block.push_back(0xF7);
    Bytes packed(cvusb::SysexPacketBytes(block.size()));
    cvusb::PackSysex(cable, block.data(), block.size(), 0, block.size(), packed.data());
    for (size_t at = 0; at < packed.size(); at += 4) {
      packets.emplace_back(packed.begin() + at, packed.begin() + at + 4);
      if (at + 4 < packed.size() && Pick(0, 3) == 0) {
        // A clock inside the block: delivered at once, the block goes on.
        packets.push_back({static_cast<uint8_t>(cable << 4 | 0xF), 0xF8, 0, 0});
        expected.push_back({false, {0xF8}});
      }
    }
    expected.push_back({true, block});
  }

  std::mt19937 random_;
};

TEST(PacketRoundTrip, RandomMidiOnSixteenCablesParsesBackToTheSameBytes) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(seed);
    Generator generator(seed);
    std::array<std::deque<Bytes>, kCables> packets;
    std::array<std::vector<Item>, kCables> expected;
    for (int i = 0; i < 400; ++i) {
      const auto cable = static_cast<uint8_t>(i % kCables);
      generator.Next(cable, packets[cable], expected[cable]);
    }

    std::array<cvusb::InputPort, kCables> ports;
    std::vector<std::unique_ptr<MIDIHDR>> headers;
    std::vector<std::unique_ptr<char[]>> storage;
    for (int cable = 0; cable < kCables; ++cable) {
      MIDIOPENDESC desc{};
      desc.hMidi = reinterpret_cast<HMIDI>(FakeHandle(cable));
      desc.dwCallback = reinterpret_cast<DWORD_PTR>(&Recorder);
      desc.dwInstance = static_cast<DWORD_PTR>(cable);
      ports[cable].client = cvusb::BindClient(desc, CALLBACK_FUNCTION);
      ports[cable].started = true;
      ports[cable].start_tick = 99;
      for (int b = 0; b < 60; ++b) {
        storage.push_back(std::make_unique<char[]>(kBufferBytes));
        headers.push_back(std::make_unique<MIDIHDR>());
        headers.back()->lpData = storage.back().get();
        headers.back()->dwBufferLength = kBufferBytes;
        cvusb::QueueInputBuffer(ports[cable], headers.back().get());
      }
    }

    // Interleave the cables' packets at random, keeping each cable's order,
    // and parse them in reads of up to 32 bytes.
    std::mt19937 shuffle(seed * 7919);
    Bytes stream;
    for (bool more = true; more;) {
      more = false;
      for (int step = 0; step < kCables; ++step) {
        auto& queue = packets[std::uniform_int_distribution<int>(0, kCables - 1)(shuffle)];
        if (queue.empty()) continue;
        stream.insert(stream.end(), queue.front().begin(), queue.front().end());
        queue.pop_front();
      }
      for (const auto& queue : packets) more = more || !queue.empty();
    }
    TakeCallbackEvents();
    for (size_t at = 0; at < stream.size(); at += 32) {
      const size_t n = std::min<size_t>(32, stream.size() - at);
      cvusb::ForEachPacket(stream.data() + at, n, [&](uint8_t cable, const uint8_t* b, int count) {
        for (int i = 0; i < count; ++i) cvusb::ParseInputByte(ports[cable], b[i], 100);
      });
    }

    std::array<std::vector<Item>, kCables> parsed;
    for (const CallbackEvent& event : TakeCallbackEvents()) {
      ASSERT_EQ(event.param2, 1u);  // read at 100, started at 99 + 1
      if (event.message == MIM_DATA) {
        parsed[event.instance].push_back({false, ShortBytes(static_cast<uint32_t>(event.param1))});
      } else {
        ASSERT_EQ(event.message, MIM_LONGDATA);
        const auto* header = reinterpret_cast<const MIDIHDR*>(event.param1);
        const auto* data = reinterpret_cast<const uint8_t*>(header->lpData);
        parsed[event.instance].push_back({true, Bytes(data, data + header->dwBytesRecorded)});
      }
    }
    for (int cable = 0; cable < kCables; ++cable) EXPECT_EQ(parsed[cable], expected[cable]);
  }
}

}  // namespace
