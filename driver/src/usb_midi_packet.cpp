#include "usb_midi_packet.h"

namespace cvusb {
size_t PackShortMessage(uint8_t cable, uint32_t message, uint8_t* out) {
  const int count = midibytes::MessageLength(static_cast<uint8_t>(message & 0xFF));
  for (int i = 0; i < count; ++i) {
    uint8_t* packet = out + i * kPacketSize;
    packet[0] = static_cast<uint8_t>((cable << 4) | kCodeSingleByte);
    packet[1] = static_cast<uint8_t>(message >> (8 * i));
    packet[2] = 0;
    packet[3] = 0;
  }
  return static_cast<size_t>(count) * kPacketSize;
}

size_t PackSysex(uint8_t cable, const uint8_t* data, size_t total, size_t from, size_t count,
                 uint8_t* out) {
  size_t written = 0;
  const size_t end = from + count <= total ? from + count : total;
  for (size_t pos = from; pos < end; pos += 3) {
    const size_t left = total - pos;
    uint8_t* packet = out + written;
    uint8_t code = kCodeSysexStartOrContinue;
    size_t n = 3;
    if (left <= 3) {
      n = left;
      code = left == 3   ? kCodeSysexEndsWith3
             : left == 2 ? kCodeSysexEndsWith2
                         : kCodeSysexEndsWith1;
    }
    packet[0] = static_cast<uint8_t>((cable << 4) | code);
    for (size_t k = 0; k < 3; ++k) packet[1 + k] = k < n ? data[pos + k] : 0;
    written += kPacketSize;
  }
  return written;
}

}  // namespace cvusb
