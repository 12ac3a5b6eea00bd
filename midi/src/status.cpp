#include "midibytes/status.h"

namespace midibytes {
namespace {

// MIDI bytes per code index, as the USB MIDI device class defines them.
constexpr int kBytesPerCodeIndex[16] = {0, 0, 2, 3, 3, 1, 2, 3, 3, 3, 3, 3, 2, 2, 3, 1};

}  // namespace

int DataLength(uint8_t status) {
  switch (status & 0xF0) {
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xE0:
      return 2;
    case 0xC0:
    case 0xD0:
      return 1;
    case 0xF0:
      break;
    default:
      return 0;  // a data byte
  }
  switch (status) {
    case 0xF1:
    case 0xF3:
      return 1;
    case 0xF2:
      return 2;
    default:
      return 0;
  }
}

int ChannelDataLength(uint8_t status) {
  return status >= 0x80 && status < 0xF0 ? DataLength(status) : 0;
}

int MessageLength(uint8_t status) {
  return status < 0x80 ? 0 : 1 + DataLength(status);
}

int CodeIndexByteCount(uint8_t code_index) {
  return kBytesPerCodeIndex[code_index & 0x0F];
}

uint8_t CodeIndexForStatus(uint8_t status) {
  if (status >= 0x80 && status < 0xF0) return static_cast<uint8_t>(status >> 4);
  switch (MessageLength(status)) {
    case 2:
      return 0x02;  // two-byte system common
    case 3:
      return 0x03;  // three-byte system common
    default:
      return 0x0F;
  }
}

}  // namespace midibytes
