#include "song/smf_writer.h"

namespace qm3 {

const uint8_t kSmfTrackTemplate[22] = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06,
                                       0x00, 0x00, 0x00, 0x01, 0x00, 0x60, 0x4D, 0x54,
                                       0x72, 0x6B, 0x00, 0x00, 0x00, 0x00};

int SmfEncodeNumber(int64_t value, uint8_t out[4]) {
  if (value < 0) value = 0;
  if (value > 0x0FFFFFFF) value = 0x0FFFFFFF;
  const uint32_t v = static_cast<uint32_t>(value);
  int count = 1;
  while (count < 4 && (v >> (7 * count)) != 0) ++count;
  for (int i = 0; i < count; ++i) {
    const int shift = 7 * (count - 1 - i);
    out[i] = static_cast<uint8_t>(((v >> shift) & 0x7F) | (i + 1 < count ? 0x80 : 0));
  }
  return count;
}

void SmfStore32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

}  // namespace qm3
