// The conversion in progress (song to SMF or to WAV): its progress values
// while the song plays, completion when the host reads the progress after the
// song has played through, and cancel.
//
// Thread rules: Begin/End on the host thread; the play thread reports
// positions and the end of the play; completion runs on the host thread in
// the read of 0x0801. A mutex orders cancel against completion.
#pragma once
#include <cstdint>
#include <string>

namespace qm3 {

enum ConversionKind : int { kConversionNone = 0, kConversionSmf = 1, kConversionWav = 2 };

// Returned when playback did not start and reported nothing itself.
inline constexpr int kResultPlayFailed = 13;

// Resets the progress values; the span [start, end) in song ticks.
void BeginConversion(ConversionKind kind, const std::string& path, uint32_t start = 0,
                     uint32_t end = 0);
void EndConversion();
ConversionKind CurrentConversion();

}  // namespace qm3
