// Variable-length numbers and fixed-width big- and little-endian fields of
// MIDI files. A variable-length number has at most 4 bytes (values up to
// 0x0FFFFFFF); reading one that runs past its limit or would need a fifth
// byte fails in one way only: false, with the position left where it was.
//
// Thread rules: pure functions over caller bytes; no allocation except
// AppendNumber, which grows the caller's vector.
#pragma once
#include <cstdint>
#include <vector>

namespace midibytes {

inline constexpr int kMaxNumberBytes = 4;
inline constexpr uint32_t kMaxNumber = 0x0FFFFFFF;

// Reads a number at *pos, never at or past `limit`. On success advances
// *pos and stores *value.
bool ReadNumber(const uint8_t* bytes, int32_t limit, int32_t* pos, uint32_t* value);

// Writes `value` clamped to 0..kMaxNumber in the shortest form into `out`
// (room for 4 bytes); returns the byte count 1..4.
int EncodeNumber(int64_t value, uint8_t out[kMaxNumberBytes]);
void AppendNumber(std::vector<uint8_t>& out, int64_t value);

inline uint16_t LoadBe16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t LoadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint32_t LoadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
void StoreBe32(uint8_t* at, uint32_t value);
void StoreBe16(uint8_t* at, uint16_t value);
void AppendBe32(std::vector<uint8_t>& out, uint32_t value);
void AppendBe16(std::vector<uint8_t>& out, uint16_t value);

}  // namespace midibytes
