// Small builders for test files: a header chunk and track chunks from raw
// event bytes, so each test shows exactly the bytes it feeds the reader.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "midibytes/number.h"

namespace midibytes::testing {

inline std::vector<uint8_t> Header(uint16_t format, uint16_t tracks, uint16_t division,
                                   uint32_t length = 6) {
  std::vector<uint8_t> b = {'M', 'T', 'h', 'd'};
  AppendBe32(b, length);
  AppendBe16(b, format);
  AppendBe16(b, tracks);
  AppendBe16(b, division);
  return b;
}

inline void AddTrack(std::vector<uint8_t>& file, std::initializer_list<uint8_t> events,
                     int64_t declared = -1) {
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  AppendBe32(file, static_cast<uint32_t>(declared < 0 ? events.size() : declared));
  file.insert(file.end(), events);
}

// Built in a fresh vector: GCC 12 at -O2 misreads a growing insert into a
// small vector as out of bounds.
inline std::vector<uint8_t> Cat(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<uint8_t> joined(a.size() + b.size());
  std::copy(a.begin(), a.end(), joined.begin());
  std::copy(b.begin(), b.end(), joined.begin() + static_cast<std::ptrdiff_t>(a.size()));
  return joined;
}

}  // namespace midibytes::testing
