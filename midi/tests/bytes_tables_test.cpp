#include <gtest/gtest.h>

#include "midibytes/number.h"
#include "midibytes/status.h"

namespace midibytes {
namespace {

TEST(StatusTables, DataLengthsOfEveryStatusKind) {
  for (int s = 0; s < 0x80; ++s) EXPECT_EQ(DataLength(static_cast<uint8_t>(s)), 0) << s;
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(DataLength(static_cast<uint8_t>(0x90 | c)), 2);
    EXPECT_EQ(DataLength(static_cast<uint8_t>(0xC0 | c)), 1);
    EXPECT_EQ(DataLength(static_cast<uint8_t>(0xD0 | c)), 1);
    EXPECT_EQ(DataLength(static_cast<uint8_t>(0xE0 | c)), 2);
  }
  EXPECT_EQ(DataLength(0xF1), 1);
  EXPECT_EQ(DataLength(0xF2), 2);
  EXPECT_EQ(DataLength(0xF3), 1);
  for (uint8_t s : {0xF0, 0xF6, 0xF7, 0xF8, 0xFA, 0xFE, 0xFF}) EXPECT_EQ(DataLength(s), 0) << +s;
  EXPECT_EQ(ChannelDataLength(0xF2), 0);
  EXPECT_EQ(MessageLength(0x3C), 0);
  EXPECT_EQ(MessageLength(0xF0), 1);
  EXPECT_EQ(MessageLength(0xB3), 3);
}

TEST(StatusTables, CodeIndexOfAStatusCarriesThatManyBytes) {
  for (int s = 0x80; s < 0x100; ++s) {
    const auto status = static_cast<uint8_t>(s);
    if (s == 0xF0 || s == 0xF7) continue;  // system exclusive goes in 3-byte pieces
    EXPECT_EQ(CodeIndexByteCount(CodeIndexForStatus(status)), MessageLength(status)) << s;
  }
  EXPECT_EQ(CodeIndexByteCount(0), 0);
  EXPECT_EQ(CodeIndexByteCount(1), 0);
  EXPECT_EQ(CodeIndexByteCount(0x14), 3);  // the cable nibble is ignored
}

TEST(Numbers, EncodeThenReadGivesTheValueBackInTheShortestForm) {
  const struct {
    int64_t value;
    int bytes;
  } cases[] = {{0, 1},      {0x7F, 1},     {0x80, 2},     {0x3FFF, 2},
               {0x4000, 3}, {0x1FFFFF, 3}, {0x200000, 4}, {0x0FFFFFFF, 4}};
  for (const auto& c : cases) {
    uint8_t out[4];
    ASSERT_EQ(EncodeNumber(c.value, out), c.bytes) << c.value;
    int32_t pos = 0;
    uint32_t back = 0;
    ASSERT_TRUE(ReadNumber(out, c.bytes, &pos, &back));
    EXPECT_EQ(back, c.value);
    EXPECT_EQ(pos, c.bytes);
  }
  uint8_t out[4];
  EXPECT_EQ(EncodeNumber(-5, out), 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(EncodeNumber(int64_t{1} << 40, out), 4);  // clamped, never a fifth byte
  EXPECT_EQ(LoadBe32(out), 0xFFFFFF7Fu);
}

TEST(Numbers, ReadFailsTheSameWayPastTheLimitAndAtAFifthByte) {
  const uint8_t five[] = {0x81, 0x80, 0x80, 0x80, 0x00};
  const uint8_t cut[] = {0x81, 0x80};
  for (auto [bytes, limit] : {std::pair{five, 5}, std::pair{cut, 2}, std::pair{cut, 0}}) {
    int32_t pos = 0;
    uint32_t value = 1234;
    EXPECT_FALSE(ReadNumber(bytes, limit, &pos, &value));
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(value, 1234u);
  }
  int32_t pos = -1;
  uint32_t value = 0;
  EXPECT_FALSE(ReadNumber(five, 5, &pos, &value));
}

}  // namespace
}  // namespace midibytes
