// USB-MIDI event packets: four bytes, the cable number in the high and the
// code index number in the low nibble of byte 0, then up to three MIDI bytes
// (unused positions hold 0). Packing for the output side and a bounded walk
// over received packets for the input side.
//
// Thread rules: pure functions over caller buffers; no locks, no allocation.
#pragma once
#include <cstddef>
#include <cstdint>

#include "midibytes/status.h"

namespace cvusb {

constexpr size_t kPacketSize = 4;
// Code index numbers the driver sends.
constexpr uint8_t kCodeSysexStartOrContinue = 0x4;
constexpr uint8_t kCodeSysexEndsWith1 = 0x5;
constexpr uint8_t kCodeSysexEndsWith2 = 0x6;
constexpr uint8_t kCodeSysexEndsWith3 = 0x7;
constexpr uint8_t kCodeSingleByte = 0xF;

// Packs the low bytes of `message` (first byte in bits 0..7) as one
// single-byte packet per byte on `cable`. `out` holds at least 12 bytes.
// Returns the number of bytes written (0, 4, 8 or 12).
size_t PackShortMessage(uint8_t cable, uint32_t message, uint8_t* out);

// Bytes of packets that PackSysex produces for `length` data bytes.
constexpr size_t SysexPacketBytes(size_t length) {
  return (length + 2) / 3 * kPacketSize;
}

// Packs data[from, from + count) of a system-exclusive block of `total`
// bytes: code 4 while more than three bytes of the block remain, the last
// packet code 7, 6 or 5 with its bytes and zero padding. `from` and `count`
// must be multiples of 3 except at the block's end, so that a block can be
// packed in pieces. The block is cut as it is, without checking for F0/F7.
// Returns the bytes written to `out` (SysexPacketBytes(count)).
size_t PackSysex(uint8_t cable, const uint8_t* data, size_t total, size_t from, size_t count,
                 uint8_t* out);

// Calls fn(cable, bytes, count) for every complete packet in data[0, len);
// a trailing partial packet is ignored, packets with code index 0 or 1 give
// count 0.
template <typename Fn>
void ForEachPacket(const uint8_t* data, size_t len, Fn&& fn) {
  for (size_t i = 0; i + 3 < len; i += kPacketSize) {
    const uint8_t head = data[i];
    fn(static_cast<uint8_t>(head >> 4), data + i + 1, midibytes::CodeIndexByteCount(head & 0x0F));
  }
}

}  // namespace cvusb
