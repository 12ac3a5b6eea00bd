// The sound module's parameter message: the bytes both ends agree on.
#include "midibytes/module_parameter.h"

#include <gtest/gtest.h>

#include <vector>

namespace midibytes {
namespace {

std::vector<uint8_t> Bytes(const ParameterMessage& m) {
  return std::vector<uint8_t>(m.bytes.begin(), m.bytes.begin() + static_cast<long>(m.size));
}

TEST(ModuleParameter, OneAndTwoValueMessagesCarryTheirChecksum) {
  const uint8_t init[2] = {0x00, 0x00};
  EXPECT_EQ(Bytes(BuildParameter(0x007F0400, init, 1)),
            (std::vector<uint8_t>{0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x00, 0x7F, 0x04, 0x00, 0x00,
                                  0x01, 0x00, 0x00, 0x00, 0x3F, 0xF7}));
  // The rhythm set-up: two values, 19 bytes; the checksum makes the sum of
  // everything between F0 and F7 a multiple of 128.
  const uint8_t halves[4] = {0x04, 0x07, 0x00, 0x05};
  const auto two = BuildParameter({0x0A, 0x00, 0x00, 0x00}, halves, 2);
  ASSERT_EQ(two.size, kParameterTwoValueSize);
  unsigned sum = 0;
  for (size_t i = 1; i + 1 < two.size; ++i) sum += two.bytes[i];
  EXPECT_EQ(sum % 128, 0u);
  EXPECT_EQ(ParameterChecksum(two.bytes.data(), two.size), two.bytes[17]);
  EXPECT_EQ(BuildParameter(0x0A000000, halves, 2).bytes, two.bytes);
}

TEST(ModuleParameter, OnlyOneOrTwoValuesMakeAMessage) {
  const uint8_t halves[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(BuildParameter(0x01000000, halves, 0).size, 0u);
  EXPECT_EQ(BuildParameter(0x01000000, halves, 3).size, 0u);
  EXPECT_EQ(BuildParameter(0x01000000, halves, -1).size, 0u);
  // Halves keep their low seven bits: a message never carries a status byte.
  const uint8_t high[2] = {0x80, 0xFF};
  const auto m = BuildParameter(0x01000000, high, 1);
  EXPECT_EQ(m.bytes[12], 0x00);
  EXPECT_EQ(m.bytes[13], 0x7F);
}

}  // namespace
}  // namespace midibytes
