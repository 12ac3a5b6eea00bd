#include "midibytes/number.h"

namespace midibytes {

bool ReadNumber(const uint8_t* bytes, int32_t limit, int32_t* pos, uint32_t* value) {
  int32_t p = *pos;
  uint32_t v = 0;
  for (int i = 0; i < kMaxNumberBytes; ++i) {
    if (p < 0 || p >= limit) return false;
    const uint8_t b = bytes[p++];
    v = (v << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) {
      *pos = p;
      *value = v;
      return true;
    }
  }
  return false;  // a fifth byte would be needed
}

int EncodeNumber(int64_t value, uint8_t out[kMaxNumberBytes]) {
  if (value < 0) value = 0;
  if (value > kMaxNumber) value = kMaxNumber;
  const uint32_t v = static_cast<uint32_t>(value);
  int count = 1;
  while (count < kMaxNumberBytes && (v >> (7 * count)) != 0) ++count;
  for (int i = 0; i < count; ++i) {
    const int shift = 7 * (count - 1 - i);
    out[i] = static_cast<uint8_t>(((v >> shift) & 0x7F) | (i + 1 < count ? 0x80 : 0));
  }
  return count;
}

void AppendNumber(std::vector<uint8_t>& out, int64_t value) {
  uint8_t bytes[kMaxNumberBytes];
  const int count = EncodeNumber(value, bytes);
  out.insert(out.end(), bytes, bytes + count);
}

void StoreBe32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

void StoreBe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

void AppendBe32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t b[4];
  StoreBe32(b, value);
  out.insert(out.end(), b, b + 4);
}

void AppendBe16(std::vector<uint8_t>& out, uint16_t value) {
  uint8_t b[2];
  StoreBe16(b, value);
  out.insert(out.end(), b, b + 2);
}

}  // namespace midibytes
