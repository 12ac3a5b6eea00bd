// Arbitrary bytes as a phrase or style file for the content linter and the
// pictures: the first track read as notes, controls and metas. Notes must
// lie inside the track and name a channel and key that exist.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "smf_notes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const content::SmfReadResult read = content::ReadSmf(std::vector<uint8_t>(data, data + size));
  if (!read.track) return 0;
  for (const content::ReadNote& n : read.track->notes) {
    if (n.channel < 1 || n.channel > 16 || n.key < 0 || n.key > 127) __builtin_trap();
    if (n.start > read.track->end_tick) __builtin_trap();
  }
  return 0;
}
