// Time base of the middleware: musical time in ticks (96 per beat), real time
// in frames of the current time base (24, 25, 29.97 or 30 per second), and the
// conversions between them, with or without the tempo map of an opened file.
//
// Thread rules: reads the value table (host thread, or with the middleware
// lock held). The tempo map setter copies and allocates; the conversions do
// not allocate, lock or block.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/control_ids.h"
#include "core/middle_internal.h"

namespace qm3 {

constexpr int32_t kTicksPerBeat = 96;
// Tempo used before the first tempo map entry: 120 beats per minute.
constexpr int32_t kDefaultTempo = 1200000;

// Time base (value of 0x0901).
enum TimeBase : int32_t {
  kTimeBase24 = 0,
  kTimeBase25 = 1,
  kTimeBase2997 = 2,
  kTimeBase30 = 3,
};

// Time display mode (value of 0x0902).
enum TimeDisplay : int32_t {
  kDisplayCode24 = 0,
  kDisplayCode25 = 1,
  kDisplayCodeDrop = 2,  // 29.97 drop-frame time code
  kDisplayCode30 = 3,
  kDisplayFrames = 4,
  kDisplayFeet16mm = 5,  // 40 frames per foot
  kDisplayFeet35mm = 6,  // 16 frames per foot
};

// One entry of a file's tempo map: from `tick` on the tempo is `tempo`
// (1/10000 BPM); `frames` is the time of `tick` (without the start time).
struct TempoMapEntry {
  int32_t tempo;
  int32_t tick;
  double frames;
};

// Frames per second of a time base; values outside 0..3 count as 30.
double FramesPerSecond(int32_t time_base);
double CurrentFramesPerSecond();

// Unit divisor of a display mode (frames per second, per foot); mode 4 uses
// the current time base, values outside 0..6 count as mode 3.
double DisplayDivisor(int32_t display_mode);

// Beats per measure: the chosen rhythm's in song mode, the file's time
// signature otherwise. Never below 1 (a catalog or file without a metre
// counts as 4 beats), so the measure arithmetic never divides by zero.
int32_t BeatsPerMeasure();
int32_t TicksPerMeasure();

// The opened file's metre and tempo map (SMF and content modes). The map is
// copied; entries must be in tick order. Song mode ignores both.
void SetFileBeatsPerMeasure(int32_t beats);
void SetTempoMap(const TempoMapEntry* entries, size_t count);
void ClearTempoMap();

// Conversions without the start time, by the tempo 0x0409 and the tempo map.
double TicksToFrames(double ticks);
double FramesToTicks(double frames);

// Conversions with the start time (processes 14 and 15), rounded.
int32_t TickToTime(int32_t ticks);
int32_t TimeToTick(int32_t frames);

// Rounds half up (floor(x + 0.5)) and saturates to the int32 range.
int32_t RoundToInt32(double x);

// Ticks to the display mode's major unit (process 6) and back (process 7).
int32_t TickToMajorUnit(int32_t ticks);
int32_t MajorUnitToTick(int32_t units);

}  // namespace qm3
