// The synchronisation points of the song edit screen. Sync point 1 (time T1,
// position P1) holds the song in place: the start time always moves so that
// P1 plays at T1. With method 0 sync point 2 sets the tempo (P2 plays at T2);
// with method 1 the tempo is set directly and sync point 2 follows it.
#include <cstdint>

#include "core/middle_internal.h"
#include "core/time_base.h"
#include "core/time_screen.h"

namespace qm3 {
namespace {

constexpr ControlId kIdMethod = 0x0503;
constexpr ControlId kIdSync1Time = 0x0506;
constexpr ControlId kIdSync1Pos = 0x0507;
constexpr ControlId kIdSync2Time = 0x0508;
constexpr ControlId kIdSync2Pos = 0x0509;
constexpr ControlId kIdTempoHundredths = 0x050A;
constexpr ControlId kIdStandardTempo = 0x040A;
constexpr ControlId kIdEditStart = 0x0504;
constexpr ControlId kIdEditEnd = 0x0505;
constexpr ControlId kIdMenuTwoPoints = 0x431F;
constexpr ControlId kIdMenuPointAndTempo = 0x4320;

// The tempo's range: 40 to 300 BPM.
constexpr int32_t kTempoMin = 400000;
constexpr int32_t kTempoMax = 3000000;

enum SyncMethod : int32_t { kTwoPoints = 0, kPointAndTempo = 1 };

// Which value the user changed; the rules differ only for the spacing.
enum class Moved { kPoint1, kPoint2, kOther };

void Set(ControlId id, int32_t value, ControlId notify_as) {
  if (ReadValue(id) == value) return;
  WriteValue(id, value, false);
  Notify(notify_as, kNotifyValue);
}

// Keeps P2 - P1 at least one measure, moving the point not changed.
void ApplySpacing(Moved moved) {
  const int32_t m = TicksPerMeasure();
  const int32_t length = ReadValue(kIdSongLength);
  int32_t p1 = ReadValue(kIdSync1Pos);
  int32_t p2 = ReadValue(kIdSync2Pos);
  if (p2 - p1 >= m) return;
  if (moved == Moved::kPoint2) {
    p1 = p2 - m;
    if (p1 < 0) {
      p1 = 0;
      p2 = m;
    }
  } else {
    p2 = p1 + m;
    if (p2 > length) {
      p2 = length;
      p1 = length - m;
    }
  }
  Set(kIdSync1Pos, p1, kIdSync1Pos);
  Set(kIdSync2Pos, p2, kIdSync2Pos);
}

// Method 0: the tempo that makes P1..P2 last T2 - T1; kept when outside the
// tempo's range (or when the two times coincide).
void TempoFromTwoPoints() {
  const int32_t t1 = ReadValue(kIdSync1Time);
  const int32_t t2 = ReadValue(kIdSync2Time);
  if (t2 == t1) return;
  const double span = TicksToFrames(ReadValue(kIdSync2Pos)) - TicksToFrames(ReadValue(kIdSync1Pos));
  const int32_t tempo = RoundToInt32(ReadValue(kIdTempo) * span / (t2 - t1));
  if (tempo < kTempoMin || tempo > kTempoMax || tempo == ReadValue(kIdTempo)) return;
  WriteValue(kIdTempo, tempo, false);
  Notify(kIdTempoHundredths, kNotifyValue);
}

// Moves the start time (and the end time with it) so that P1 plays at T1.
// Where the start or end time would leave its range, the start time moves
// only as far as allowed and P1 becomes the position at T1.
void HoldSyncPoint1(Moved moved) {
  const int32_t t1 = ReadValue(kIdSync1Time);
  const int32_t start = ReadValue(kIdStartTime);
  const int32_t end = ReadValue(kIdEndTime);
  int32_t start_min = 0, start_max = 0, end_min = 0, end_max = 0;
  ReadRange(kIdStartTime, &start_min, &start_max);
  ReadRange(kIdEndTime, &end_min, &end_max);
  int64_t target = t1 - static_cast<int64_t>(RoundToInt32(TicksToFrames(ReadValue(kIdSync1Pos))));
  bool clipped = false;
  if (target < start_min) {
    target = start_min;
    clipped = true;
  }
  if (end + (target - start) > end_max) {
    target = start + (end_max - static_cast<int64_t>(end));
    clipped = true;
  }
  const int64_t shift = target - start;
  Set(kIdStartTime, static_cast<int32_t>(target), kIdEditStart);
  Set(kIdEndTime, static_cast<int32_t>(end + shift), kIdEditEnd);
  if (clipped) {
    Set(kIdSync1Pos, TimeToTick(t1), kIdSync1Pos);
    ApplySpacing(moved == Moved::kPoint2 ? Moved::kPoint2 : Moved::kPoint1);
  }
}

// Method 1: sync point 2 shows where its position plays.
void FollowSyncPoint2() {
  const int32_t t2 = TickToTime(ReadValue(kIdSync2Pos));
  int32_t lo = 0, hi = 0;
  ReadRange(kIdSync2Time, &lo, &hi);
  if (t2 >= lo && t2 <= hi) Set(kIdSync2Time, t2, kIdSync2Time);
}

void Resynchronise(Moved moved) {
  if (moved != Moved::kOther) ApplySpacing(moved);
  const bool two_points = ReadValue(kIdMethod) == kTwoPoints;
  if (two_points) TempoFromTwoPoints();
  HoldSyncPoint1(moved);
  if (!two_points) FollowSyncPoint2();
  RedrawAfterAliveChange();
}

int OnSync1Time(ControlId, int32_t) {
  Resynchronise(Moved::kOther);
  return 0;
}

int OnSync1Pos(ControlId, int32_t) {
  Resynchronise(Moved::kPoint1);
  return 0;
}

int OnSync2Time(ControlId, int32_t) {
  Resynchronise(Moved::kOther);
  return 0;
}

int OnSync2Pos(ControlId, int32_t) {
  Resynchronise(Moved::kPoint2);
  return 0;
}

int OnTempo(ControlId, int32_t) {
  Resynchronise(Moved::kOther);
  return 0;
}

int OnMethod(ControlId, int32_t) {
  const bool two_points = ReadValue(kIdMethod) == kTwoPoints;
  WriteAlive(kIdSync1Time, true);
  WriteAlive(kIdSync1Pos, true);
  WriteAlive(kIdSync2Time, two_points);
  WriteAlive(kIdSync2Pos, two_points);
  WriteAlive(kIdTempo, !two_points);
  WriteAlive(kIdStandardTempo, !two_points);
  WriteValue(kIdMenuTwoPoints, two_points ? 1 : 0, false);
  WriteValue(kIdMenuPointAndTempo, two_points ? 0 : 1, false);
  RedrawAfterAliveChange();
  return 0;
}

}  // namespace

QM3_REACTION(kIdSync1Time, OnSync1Time, kStageValues);
QM3_REACTION(kIdSync1Pos, OnSync1Pos, kStageValues);
QM3_REACTION(kIdSync2Time, OnSync2Time, kStageValues);
QM3_REACTION(kIdSync2Pos, OnSync2Pos, kStageValues);
QM3_REACTION(kIdTempoHundredths, OnTempo, kStageValues);
QM3_REACTION(kIdMethod, OnMethod, kStageValues);
// The same values under their second names (group 0x07).
QM3_REACTION(0x0706, OnSync1Time, kStageValues);
QM3_REACTION(0x0707, OnSync1Pos, kStageValues);
QM3_REACTION(0x0708, OnSync2Time, kStageValues);
QM3_REACTION(0x0709, OnSync2Pos, kStageValues);
QM3_REACTION(0x070A, OnTempo, kStageValues);
QM3_REACTION(0x0703, OnMethod, kStageValues);

}  // namespace qm3
