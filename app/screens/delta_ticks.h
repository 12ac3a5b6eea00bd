// CTimeLine: an open MIDI file's note activity for the SMF time line, read
// from the middleware's records (process 8): per entry the ticks since the
// previous entry and the loudest note of each of the 16 parts there.
//
// Record format: a delta time as a variable-length quantity (1 to 5 bytes,
// seven bits each, most significant first, the top bit on all but the
// last), then the part index (0..15) and the loudness (0..127).
//
// Thread rules: not shared; any one thread.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonavex::app {

struct CDeltaTick {
  long delta = 0;
  std::array<uint8_t, 16> loudness{};
};

class CTimeLine {
 public:
  // Replaces the list with the records of `data`; a broken record empties
  // the list and fails. No data is an empty list.
  bool CreateDeltaTick(const uint8_t* data, size_t size);
  // The file's length in ticks (the sum of the deltas).
  long GetSongAll() const;
  const std::vector<CDeltaTick>& entries() const { return entries_; }

 private:
  std::vector<CDeltaTick> entries_;
};

}  // namespace sonavex::app
