// Text forms of times, musical positions, tempo and pan: the formatters and
// parsers attached to the value table's records. Formatters render a value as
// the control shows it (Shift-JIS); parsers read typed text back. Both return
// 0; parsers do not check ranges (the value write refuses what is out of range).
//
// Thread rules: host thread (they read the value table); no allocation after
// the first call, no lock, never block. `text` must hold kFormatTextSize bytes.
#pragma once
#include <cstdint>

#include "core/middle_internal.h"

namespace qm3 {

constexpr int kFormatTextSize = 64;

// Frame counts in the current time display mode (0x0902): time code
// "h:mm:ss:ff" (drop-frame "h;mm;ss;ff"), "%10d" frames or "%7d+%02d" feet.
int32_t FormatTimeCode(int32_t frames, char* text);
int32_t ParseTimeCode(const char* text, int32_t* frames);

// The same for an explicit display mode (the two above use 0x0902).
void FormatTimeInMode(int32_t display_mode, int32_t frames, char* text);
int32_t ParseTimeInMode(int32_t display_mode, const char* text);

// Musical positions in ticks with the current beats per measure:
// "%03d:%1d:%02d" measure:beat:tick and "%03d:%1d" measure:beat.
int32_t FormatMeasureBeatTick(int32_t ticks, char* text);
int32_t FormatMeasureBeat(int32_t ticks, char* text);
int32_t ParseMeasureBeatTick(const char* text, int32_t* ticks);

// Tempo as the host sees it: whole BPM through 0x0409 ("%3d"), 1/100 BPM
// through 0x050A ("%3d.%02d"). The record is shared, so these two tell the
// views apart by the identifier of the current exported call (AccessedId).
int32_t FormatTempo(int32_t value, char* text);
int32_t ParseTempo(const char* text, int32_t* value);
// The two views on their own.
int32_t FormatTempoWholeBpm(int32_t bpm, char* text);
int32_t ParseTempoWholeBpm(const char* text, int32_t* bpm);
int32_t FormatTempoHundredthBpm(int32_t centi_bpm, char* text);
int32_t ParseTempoHundredthBpm(const char* text, int32_t* centi_bpm);

// The dispatch records the identifier of every exported read and write
// (SetAccessedId) before it reaches a formatter or parser; AccessedId is
// declared in middle_internal.h.

// Pan 0..127: "左%2d", "中央", "右%2d"; anything else "----".
int32_t FormatPan(int32_t pan, char* text);

// Label of a time display mode (the text of 0x0902); empty outside 0..6.
int32_t FormatTimeDisplayLabel(int32_t display_mode, char* text);

}  // namespace qm3
