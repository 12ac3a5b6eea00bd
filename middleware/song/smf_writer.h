// Writing Standard MIDI File pieces: variable-length numbers and the
// single-track header template (format 0, one track, division 96).
//
// Thread rules: reentrant; writes only into the caller's bytes.
#pragma once
#include <cstdint>

namespace qm3 {

// "MThd", 6, format 0, 1 track, division 96, then "MTrk" with length 0.
extern const uint8_t kSmfTrackTemplate[22];

// Writes `value` (clamped to 0..0x0FFFFFFF) as a variable-length number into
// `out` (room for 4 bytes) and returns the byte count, 1..4.
int SmfEncodeNumber(int64_t value, uint8_t out[4]);

// Big-endian 32-bit store, for chunk lengths.
void SmfStore32(uint8_t* at, uint32_t value);

}  // namespace qm3
