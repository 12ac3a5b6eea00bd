// Arbitrary bytes through every reader of the MIDI-bytes library: RIFF
// unwrapping, the header, strict and lenient chunk lists, the merged reader
// to its end, and the first-track walker. Nothing may read out of bounds or
// fail to end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "midibytes/merged_reader.h"
#include "midibytes/smf_file.h"
#include "midibytes/track_walker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace midibytes;
  const uint8_t* smf = nullptr;
  size_t smf_size = 0;
  if (Unwrap(data, size, &smf, &smf_size) == Container::kBadRiff) return 0;
  const auto n = static_cast<int32_t>(smf_size);

  TrackWalker walker(smf, n);
  SmfEvent event;
  while (walker.Valid() && walker.Next(&event) == SmfStep::kEvent) {
    if (event.end > n || event.data + event.length > n) __builtin_trap();
  }

  SmfHeader header;
  if (!ReadHeader(smf, n, &header)) return 0;
  std::vector<TrackChunk> tracks;
  for (ChunkPolicy policy : {ChunkPolicy::kStrict, ChunkPolicy::kLenient}) {
    if (!ListTracks(smf, n, header, policy, 4096, &tracks)) continue;
    MergedReader reader;
    reader.Open(smf, tracks);
    MergedEvent e;
    int64_t last = 0;
    for (MergedStep step; (step = reader.Next(&e)) != MergedStep::kEnd;) {
      if (step == MergedStep::kEvent && e.event.time < last) __builtin_trap();
      if (step == MergedStep::kEvent) last = e.event.time;
    }
  }
  return 0;
}
