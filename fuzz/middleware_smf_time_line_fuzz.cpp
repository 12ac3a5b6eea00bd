// Arbitrary bytes as an opened MIDI file, up to the note activity the SMF edit
// screen draws: normalised and converted as the middleware does on open, then
// every time-line record walked as the screen walks them. Each record must be
// whole (a delta of one to four bytes, a part, a loudness), name a part 0..15
// with a loudness 1..127, and the deltas must add up to no more than the
// file's length. Raw bytes go through the conversion too, as on undo.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/smf_import.h"
#include "midibytes/number.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// Walks the records; returns the sum of their deltas.
int64_t WalkRecords(const std::vector<uint8_t>& records) {
  const auto limit = static_cast<int32_t>(records.size());
  int32_t at = 0;
  int64_t sum = 0;
  while (at < limit) {
    uint32_t delta = 0;
    Check(midibytes::ReadNumber(records.data(), limit, &at, &delta));
    Check(limit - at >= 2);
    Check(records[at] <= 15);
    Check(records[at + 1] >= 1 && records[at + 1] <= 127);
    at += 2;
    sum += delta;
  }
  return sum;
}

void CheckConverted(const qm3::midi::ConvertedSmf& c) {
  Check(c.time_line.size() <= qm3::midi::kMaxEventListBytes);
  Check(c.tempo_ratio > 0);
  Check(c.length_ticks >= 0);
  Check(c.beats_per_measure == 3 || c.beats_per_measure == 4);
  for (size_t i = 1; i < c.tempos.size(); ++i) Check(c.tempos[i - 1].tick <= c.tempos[i].tick);
  const int64_t sum = WalkRecords(c.time_line);
  // A delta past the longest variable-length number is clamped; files that
  // long are refused by the song-length limit before anyone reads them.
  if (c.length_ticks <= midibytes::kMaxNumber) Check(sum <= c.length_ticks);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qm3::midi;
  ConvertedSmf raw;
  if (ConvertSmf(data, size, &raw) == qm3::kRcOk) CheckConverted(raw);
  std::vector<uint8_t> image;
  if (NormaliseSmf(data, size, &image) != qm3::kRcOk) return 0;
  ConvertedSmf c;
  if (ConvertSmf(image.data(), image.size(), &c) != qm3::kRcOk) return 0;
  CheckConverted(c);
  return 0;
}
