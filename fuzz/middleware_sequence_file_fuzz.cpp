// Arbitrary bytes as the playback sequencer's Standard MIDI File: unwrapped,
// parsed, read to the end with and without a stop tick, and every event's
// bytes and the tempo map checked against the image.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "midi/sequence_file.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using qm3::midi::ReadResult;
  const uint8_t* smf = nullptr;
  size_t smf_size = 0;
  if (!qm3::midi::SequenceFile::Unwrap(data, size, &smf, &smf_size)) return 0;
  Check(smf >= data && smf + smf_size <= data + size);
  qm3::midi::SequenceFile file;
  if (file.Parse(smf, smf_size) != 0) return 0;
  for (const uint32_t stop : {UINT32_MAX, file.length_ticks() / 2}) {
    file.Rewind();
    qm3::midi::SeqEvent e;
    uint32_t last = 0;
    for (int n = 0; n < 1 << 20; ++n) {
      const ReadResult r = file.Next(&e, stop, stop != UINT32_MAX);
      if (r != ReadResult::kEvent) break;
      Check(e.tick >= last);
      last = e.tick;
      if (e.bytes != nullptr) Check(e.bytes >= smf && e.bytes + e.length <= smf + smf_size);
    }
  }
  for (const auto& t : file.tempo_map()) Check(std::isfinite(t.ms));
  Check(std::isfinite(file.TickToMs(file.length_ticks())));
  return 0;
}
