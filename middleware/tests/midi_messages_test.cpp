// Module message bytes and checksums, and the stream event layout.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "midi/module_messages.h"
#include "midi/stream_writer.h"

namespace qm3::midi {
namespace {

std::vector<uint8_t> Bytes(const ParameterMessage& m) {
  return std::vector<uint8_t>(m.bytes.begin(), m.bytes.begin() + m.size);
}

TEST(ModuleMessages, FixedBytesAndChecksums) {
  EXPECT_EQ(Bytes(MakeModuleInit()),
            (std::vector<uint8_t>{0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x00, 0x7F, 0x04, 0x00, 0x00,
                                  0x01, 0x00, 0x00, 0x00, 0x3F, 0xF7}));
  const auto setup = Bytes(MakeRhythmSetup(0x47, 0x50));
  ASSERT_EQ(setup.size(), 19u);
  EXPECT_EQ(std::vector<uint8_t>(setup.begin() + 12, setup.begin() + 16),
            (std::vector<uint8_t>{0x04, 0x07, 0x00, 0x05}));
  const auto volume = Bytes(MakeMainVolume(127));
  EXPECT_EQ(volume[12], 0x07);
  EXPECT_EQ(volume[13], 0x0F);
  // Every message's checksum makes bytes 1..checksum sum to 0 modulo 128.
  for (const auto& m : {MakeModuleInit(), MakeMainVolume(99), MakePlayMode(2), MakeRunSwitch(true),
                        MakeRhythmSetup(0x12, 0x7F)}) {
    unsigned sum = 0;
    for (size_t i = 1; i + 1 < m.size; ++i) sum += m.bytes[i];
    EXPECT_EQ(sum & 0x7F, 0u);
    EXPECT_EQ(m.bytes[m.size - 1], 0xF7);
  }
}

TEST(ModuleMessages, MainVolumeScaleAndClockTempo) {
  EXPECT_EQ(MainVolumeFromControl(0), 0);
  EXPECT_EQ(MainVolumeFromControl(5), 63);
  EXPECT_EQ(MainVolumeFromControl(10), 127);
  // A host that widened the range: clamped before the product can overflow.
  EXPECT_EQ(MainVolumeFromControl(117926155), 127);
  EXPECT_EQ(MainVolumeFromControl(INT32_MIN), 0);
  EXPECT_EQ(MakeClockTempo(120), (std::array<uint8_t, 6>{0xF0, 0x50, 0x25, 0x08, 0x07, 0xF7}));
}

TEST(StreamWriter, EventLayoutPaddingAndRoom) {
  uint8_t buf[40] = {};
  StreamWriter w(buf, sizeof buf);
  EXPECT_TRUE(w.Short(5, ShortMessage(0x90, 60, 100)));
  const uint8_t sysex[] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
  EXPECT_TRUE(w.Long(0, sysex, sizeof sysex, 0xF0));  // 6 bytes -> padded to 8
  EXPECT_EQ(w.used(), 12u + 12u + 8u);
  EXPECT_EQ(buf[0], 5);
  EXPECT_EQ(buf[8], 0x90);
  EXPECT_EQ(buf[9], 60);
  EXPECT_EQ(buf[10], 100);
  EXPECT_EQ(buf[11], 0x00);  // short message kind
  EXPECT_EQ(buf[20], 6);     // long length
  EXPECT_EQ(buf[23], 0x80);  // long kind
  EXPECT_EQ(buf[24], 0xF0);
  EXPECT_EQ(buf[30], 0x00);  // padding
  EXPECT_FALSE(w.Nop(0));    // 8 bytes left: no room for a 12-byte event
  EXPECT_EQ(w.deltas(), 5u);
}

}  // namespace
}  // namespace qm3::midi
