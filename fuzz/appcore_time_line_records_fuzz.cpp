// Arbitrary bytes as the time-line records the SMF edit screen reads from
// the middleware (the application's own reader, built without Qt). The
// reader takes the bytes whole or refuses them keeping nothing; what it
// takes keeps the record format's promises: at most one entry per record
// of three bytes or more, a delta of at most five groups of seven bits,
// no entry but the first with a zero delta, loudness 0..127 for each of the
// 16 parts, and a song length that is the sum of the deltas. Reading again
// gives the same list.
#include <cstddef>
#include <cstdint>

#include "screens/delta_ticks.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

constexpr long kLargestDelta = (1L << 35) - 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sonavex::app::CTimeLine line;
  const bool taken = line.CreateDeltaTick(data, size);
  const auto& entries = line.entries();
  if (!taken) {
    Check(size > 0);
    Check(entries.empty());
    return 0;
  }
  Check(entries.size() <= size / 3);
  Check(size == 0 || !entries.empty());
  long sum = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    Check(entries[i].delta >= 0 && entries[i].delta <= kLargestDelta);
    Check(i == 0 || entries[i].delta != 0);
    for (uint8_t loudness : entries[i].loudness) Check(loudness <= 127);
    sum += entries[i].delta;
  }
  Check(line.GetSongAll() == sum);

  sonavex::app::CTimeLine again;
  Check(again.CreateDeltaTick(data, size));
  Check(again.entries().size() == entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    Check(again.entries()[i].delta == entries[i].delta);
    Check(again.entries()[i].loudness == entries[i].loudness);
  }
  return 0;
}
