#include "usb_midi_packet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

using cvusb::PackShortMessage;
using cvusb::PackSysex;
using cvusb::SysexPacketBytes;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Short(uint8_t cable, uint32_t message) {
  uint8_t out[12];
  return Bytes(out, out + PackShortMessage(cable, message, out));
}

Bytes Sysex(uint8_t cable, const Bytes& data) {
  Bytes out(SysexPacketBytes(data.size()));
  out.resize(PackSysex(cable, data.data(), data.size(), 0, data.size(), out.data()));
  return out;
}

TEST(UsbMidiPacket, ShortMessagesSendOneSingleBytePacketPerByteOnTheCable) {
  EXPECT_EQ(Short(0, 0x643C90), (Bytes{0x0F, 0x90, 0, 0, 0x0F, 0x3C, 0, 0, 0x0F, 0x64, 0, 0}));
  EXPECT_EQ(Short(1, 0x643C90), (Bytes{0x1F, 0x90, 0, 0, 0x1F, 0x3C, 0, 0, 0x1F, 0x64, 0, 0}));
  // Lengths follow the first byte; higher bytes of the word are not sent.
  EXPECT_EQ(Short(0, 0xFF0005C0), (Bytes{0x0F, 0xC0, 0, 0, 0x0F, 0x05, 0, 0}));
  EXPECT_EQ(Short(0, 0x7F7FF3).size(), 8u);
  EXPECT_EQ(Short(0, 0x7F7FF2).size(), 12u);
  EXPECT_EQ(Short(0, 0x0000F8), (Bytes{0x0F, 0xF8, 0, 0}));
  EXPECT_EQ(Short(0, 0x7F7FF0).size(), 4u);
  EXPECT_TRUE(Short(0, 0x64003C).empty());  // a data byte first: nothing
}

TEST(UsbMidiPacket, SystemExclusiveEndsWithTheCodeForItsLastBytes) {
  EXPECT_EQ(Sysex(0, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0xF7}),
            (Bytes{0x04, 0xF0, 0x41, 0x10, 0x04, 0x42, 0x12, 0x40, 0x05, 0xF7, 0, 0}));
  EXPECT_EQ(Sysex(0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}),
            (Bytes{0x04, 0xF0, 0x7E, 0x7F, 0x07, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(Sysex(1, {0xF0, 0x01, 0x02, 0x03, 0xF7}),
            (Bytes{0x14, 0xF0, 0x01, 0x02, 0x16, 0x03, 0xF7, 0}));
  EXPECT_TRUE(Sysex(0, {}).empty());
  // Cut as it is: no F0/F7 check.
  EXPECT_EQ(Sysex(0, {0x11}), (Bytes{0x05, 0x11, 0, 0}));
}

TEST(UsbMidiPacket, PackingInPiecesEqualsPackingWhole) {
  Bytes data(100);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i & 0x7F);
  const Bytes whole = Sysex(3, data);
  Bytes pieces;
  for (size_t from = 0; from < data.size(); from += 24) {
    const size_t count = std::min<size_t>(24, data.size() - from);
    uint8_t out[32];
    pieces.insert(pieces.end(), out,
                  out + PackSysex(3, data.data(), data.size(), from, count, out));
  }
  EXPECT_EQ(pieces, whole);
}

TEST(UsbMidiPacket, WalkSkipsReservedCodesAndTrailingPartialPackets) {
  const Bytes stream{0x19, 0x90, 0x3C, 0x64,  // cable 1, note on
                     0x00, 0x90, 0x3C, 0x64,  // code index 0
                     0x21, 0xF8, 0x00, 0x00,  // code index 1
                     0x0F, 0xF8, 0x00};       // partial
  std::vector<std::pair<uint8_t, Bytes>> seen;
  cvusb::ForEachPacket(stream.data(), stream.size(),
                       [&](uint8_t cable, const uint8_t* bytes, int count) {
                         seen.emplace_back(cable, Bytes(bytes, bytes + count));
                       });
  EXPECT_THAT(seen, testing::ElementsAre(testing::Pair(1, Bytes{0x90, 0x3C, 0x64}),
                                         testing::Pair(0, Bytes{}), testing::Pair(2, Bytes{})));
}

}  // namespace
