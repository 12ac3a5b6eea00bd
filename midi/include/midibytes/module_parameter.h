// The sound module's parameter message, as the middleware writes it and the
// module reads it: F0 50 2C 01 2D 13, four address bytes, the value count as
// two 7-bit bytes (00 n), each value as two 4-bit halves, 00, the checksum,
// F7. 17 bytes with one value, 19 with two.
//
// Thread rules: pure functions; no state, no allocation.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace midibytes {

inline constexpr std::array<uint8_t, 6> kParameterHeader = {0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13};
inline constexpr size_t kParameterOneValueSize = 17;
inline constexpr size_t kParameterTwoValueSize = 19;

struct ParameterMessage {
  std::array<uint8_t, kParameterTwoValueSize> bytes{};
  size_t size = 0;  // 0: not a message (a value count other than 1 or 2)
};

// The checksum of a whole message of `size` bytes (F0 .. F7): the low 7 bits
// of the two's complement of the sum of the bytes after F0 up to the 00
// before the checksum.
uint8_t ParameterChecksum(const uint8_t* message, size_t size);

// A message to `address` with `values` (1 or 2) values given as 2 * values
// halves, in the order they travel; each half keeps its low 7 bits.
ParameterMessage BuildParameter(const std::array<uint8_t, 4>& address, const uint8_t* halves,
                                int values);
// The same with the address as one number, most significant byte first.
ParameterMessage BuildParameter(uint32_t address, const uint8_t* halves, int values);

}  // namespace midibytes
