// Tick/frame conversions and the major-unit conversions of processes 6 and 7.
#include "core/time_base.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/catalog.h"
#include "core/middleware.h"

namespace qm3 {
namespace {

constexpr int32_t kDefaultBeats = 4;
// Frames per ten minutes and per dropped minute in drop-frame counting.
constexpr int64_t kDropTenMinutes = 17982;
constexpr int64_t kDropMinute = 1798;
constexpr int64_t kDropFirstMinute = 1800;

}  // namespace

struct FileTiming {
  int32_t beats = kDefaultBeats;
  std::vector<TempoMapEntry> map;
};

PartState<FileTiming> MakeFileTiming() {
  return MakePartState<FileTiming>();
}

namespace {

FileTiming& File() {
  return *TheMiddleware().timing;
}

bool SongMode() {
  return ReadValue(kEditingMode) == 0;
}

// The tempo map in effect: a file's, and only outside song mode.
const std::vector<TempoMapEntry>* ActiveMap() {
  const auto& map = File().map;
  if (map.empty() || SongMode()) return nullptr;
  return &map;
}

// A tempo never divides by zero: a non-positive tempo counts as 120 BPM.
double SafeTempo(int32_t tempo) {
  return tempo > 0 ? static_cast<double>(tempo) : static_cast<double>(kDefaultTempo);
}

double CurrentTempo() {
  return SafeTempo(ReadValue(kTempo));
}

}  // namespace

double FramesPerSecond(int32_t time_base) {
  switch (time_base) {
    case kTimeBase24:
      return 24.0;
    case kTimeBase25:
      return 25.0;
    case kTimeBase2997:
      return 29.97;
    default:
      return 30.0;
  }
}

double CurrentFramesPerSecond() {
  return FramesPerSecond(ReadValue(kTimeBase));
}

double DisplayDivisor(int32_t display_mode) {
  switch (display_mode) {
    case kDisplayCode24:
      return 24.0;
    case kDisplayCode25:
      return 25.0;
    case kDisplayCodeDrop:
      return 29.97;
    case kDisplayFrames:
      return CurrentFramesPerSecond();
    case kDisplayFeet16mm:
      return 40.0;
    case kDisplayFeet35mm:
      return 16.0;
    default:
      return 30.0;
  }
}

int32_t BeatsPerMeasure() {
  int32_t beats = kDefaultBeats;
  if (SongMode()) {
    if (const QM3RhythmData* rhythm = FindRhythm(ReadValue(kRhythm))) beats = rhythm->lBeats;
  } else {
    beats = File().beats;
  }
  // The measure arithmetic divides by this; a missing metre counts as 4/4,
  // an absurd one is capped so that a measure stays a sane int32.
  if (beats < 1) return kDefaultBeats;
  return std::min(beats, 255);
}

int32_t TicksPerMeasure() {
  return BeatsPerMeasure() * kTicksPerBeat;
}

void SetFileBeatsPerMeasure(int32_t beats) {
  File().beats = beats;
}

void SetTempoMap(const TempoMapEntry* entries, size_t count) {
  auto& map = File().map;
  map.clear();
  if (entries != nullptr) map.assign(entries, entries + count);
}

void ClearTempoMap() {
  File().map.clear();
}

double TicksToFrames(double ticks) {
  const double fps = CurrentFramesPerSecond();
  const std::vector<TempoMapEntry>* map = ActiveMap();
  if (map == nullptr) return fps * ticks * 0.625 / (CurrentTempo() * 0.0001);
  // The last entry at or before the tick.
  auto it = std::upper_bound(map->begin(), map->end(), ticks,
                             [](double t, const TempoMapEntry& e) { return t < e.tick; });
  double frames;
  if (it == map->begin()) {
    frames = fps * ticks * 0.005208333333333333;
  } else {
    const TempoMapEntry& e = *(it - 1);
    frames = fps * (ticks - e.tick) * 0.625 / (SafeTempo(e.tempo) * 0.0001) + e.frames;
  }
  // Changing the tempo value stretches the whole file.
  return frames * SafeTempo(map->front().tempo) / CurrentTempo();
}

double FramesToTicks(double frames) {
  const double fps = CurrentFramesPerSecond();
  const std::vector<TempoMapEntry>* map = ActiveMap();
  if (map == nullptr) return CurrentTempo() * 0.0001 * frames * 96.0 / fps / 60.0;
  const double g = CurrentTempo() * frames / SafeTempo(map->front().tempo);
  auto it = std::upper_bound(map->begin(), map->end(), g,
                             [](double f, const TempoMapEntry& e) { return f < e.frames; });
  if (it == map->begin()) return g * 11520.0 / fps / 60.0;
  const TempoMapEntry& e = *(it - 1);
  return (g - e.frames) * SafeTempo(e.tempo) * 0.0001 * 96.0 / fps / 60.0 + e.tick;
}

int32_t RoundToInt32(double x) {
  if (std::isnan(x)) return 0;
  const double r = std::floor(x + 0.5);
  if (r <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  if (r >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

int32_t TickToTime(int32_t ticks) {
  return RoundToInt32(ReadValue(kStartTime) + TicksToFrames(ticks));
}

int32_t TimeToTick(int32_t frames) {
  return RoundToInt32(FramesToTicks(static_cast<double>(frames) - ReadValue(kStartTime)));
}

int32_t TickToMajorUnit(int32_t ticks) {
  const double f = ReadValue(kStartTime) + TicksToFrames(ticks);
  const int32_t mode = ReadValue(kTimeDisplayMode);
  if (mode != kDisplayCodeDrop) return RoundToInt32(f / DisplayDivisor(mode));
  // Drop-frame counting: frames to the seconds the time code shows.
  const int64_t whole = RoundToInt32(f);
  const int64_t blocks = whole / kDropTenMinutes;
  const int64_t r = whole % kDropTenMinutes;
  int64_t seconds;
  if (r < kDropFirstMinute) {
    seconds = 600 * blocks + r / 30;
  } else {
    const int64_t rr = r - kDropFirstMinute;
    seconds = 600 * blocks + 60 * (rr / kDropMinute + 1) + (rr % kDropMinute + 2) / 30;
  }
  return static_cast<int32_t>(seconds);
}

int32_t MajorUnitToTick(int32_t units) {
  const int32_t mode = ReadValue(kTimeDisplayMode);
  double f;
  if (mode == kDisplayCodeDrop) {
    const int64_t s = units;
    int64_t frames = kDropTenMinutes * (s / 600) + kDropMinute * ((s % 600) / 60) + 30 * (s % 60);
    if (s % 600 != 0 && s % 60 == 0) frames += 2;
    f = static_cast<double>(frames);
  } else {
    f = static_cast<double>(units) * DisplayDivisor(mode);
  }
  return RoundToInt32(FramesToTicks(f - ReadValue(kStartTime)));
}

}  // namespace qm3
