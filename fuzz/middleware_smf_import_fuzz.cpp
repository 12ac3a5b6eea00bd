// Arbitrary bytes through the import of a Standard MIDI File: the
// normalisation, the checks and conversion, the sound-set and drum scans, the
// part lookup and a rewrite of one part's program and volume. Nothing may read out of
// bounds or fail to end; a rewrite must keep the image's size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/smf_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qm3::midi;
  std::vector<uint8_t> image;
  if (NormaliseSmf(data, size, &image) != qm3::kRcOk) {
    // The checks also meet raw bytes when a file is read again after undo.
    ConvertedSmf raw;
    ConvertSmf(data, size, &raw);
    return 0;
  }
  ConvertedSmf c;
  ConvertSmf(image.data(), image.size(), &c);
  if (c.time_line.size() > kMaxEventListBytes + 6) __builtin_trap();
  DetectSoundSet(image.data(), image.size());
  ScanDrumParts(image.data(), image.size());
  const size_t before = image.size();
  const auto parts = PartSettingsAt(image.data(), image.size(), 0);
  for (const PartSettings& p : parts) {
    if (p.program > 127 || p.volume > 127 || p.pan > 127) __builtin_trap();
  }
  // One part's program and volume, by the last byte of the input.
  const int channel = size > 0 ? data[size - 1] & 0x0F : 0;
  RewritePartEvent(&image, channel, 0xC0, 0, 0, 7);
  RewritePartEvent(&image, channel, 0xB0, 7, INT64_MAX, 9);
  if (image.size() != before) __builtin_trap();
  return 0;
}
