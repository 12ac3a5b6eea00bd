// The synchronisation points of the song edit screen. Sync point 1 (time T1,
// position P1) holds the song in place: the start time always moves so that
// P1 plays at T1. With method 0 sync point 2 sets the tempo (P2 plays at T2);
// with method 1 the tempo is set directly and sync point 2 follows it.
#include <algorithm>
#include <cstdint>

#include "core/middle_internal.h"
#include "core/time_base.h"

namespace qm3 {
namespace {

// The tempo's range: 40 to 300 BPM.
constexpr int32_t kTempoMin = 400000;
constexpr int32_t kTempoMax = 3000000;

enum SyncMethod : int32_t { kTwoPoints = 0, kPointAndTempo = 1 };

// Which value the user changed; the rules differ only for the spacing.
enum class Moved { kPoint1, kPoint2, kOther };

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

void Set(ControlId id, int32_t value, ControlId notify_as) {
  if (ReadValue(id) == value) return;
  WriteValue(id, value, false);
  Notify(notify_as, kNotifyValue);
}

// Keeps P2 - P1 at least one measure, moving the point not changed.
void ApplySpacing(Moved moved) {
  // In 64 bits: a host may widen the records' ranges to INT_MIN..INT_MAX.
  const int64_t m = TicksPerMeasure();
  const int64_t length = ReadValue(kSongLength);
  int64_t p1 = ReadValue(kSync1Measure);
  int64_t p2 = ReadValue(kSync2Measure);
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
  Set(kSync1Measure, ClampToInt32(p1), kSync1Measure);
  Set(kSync2Measure, ClampToInt32(p2), kSync2Measure);
}

// Method 0: the tempo that makes P1..P2 last T2 - T1; kept when outside the
// tempo's range (or when the two times coincide).
void TempoFromTwoPoints() {
  const int32_t t1 = ReadValue(kSync1Time);
  const int32_t t2 = ReadValue(kSync2Time);
  if (t2 == t1) return;
  const double span =
      TicksToFrames(ReadValue(kSync2Measure)) - TicksToFrames(ReadValue(kSync1Measure));
  const int32_t tempo =
      RoundToInt32(ReadValue(kTempo) * span / (static_cast<double>(t2) - static_cast<double>(t1)));
  if (tempo < kTempoMin || tempo > kTempoMax || tempo == ReadValue(kTempo)) return;
  WriteValue(kTempo, tempo, false);
  Notify(kEditTempo, kNotifyValue);
}

// Moves the start time (and the end time with it) so that P1 plays at T1.
// Where the start or end time would leave its range, the start time moves
// only as far as allowed and P1 becomes the position at T1.
void HoldSyncPoint1(Moved moved) {
  const int32_t t1 = ReadValue(kSync1Time);
  const int32_t start = ReadValue(kStartTime);
  const int32_t end = ReadValue(kEndTime);
  int32_t start_min = 0, start_max = 0, end_min = 0, end_max = 0;
  ReadRange(kStartTime, &start_min, &start_max);
  ReadRange(kEndTime, &end_min, &end_max);
  int64_t target = t1 - static_cast<int64_t>(RoundToInt32(TicksToFrames(ReadValue(kSync1Measure))));
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
  Set(kStartTime, static_cast<int32_t>(target), kEditStartTime);
  Set(kEndTime, static_cast<int32_t>(end + shift), kEditEndTime);
  if (clipped) {
    Set(kSync1Measure, TimeToTick(t1), kSync1Measure);
    ApplySpacing(moved == Moved::kPoint2 ? Moved::kPoint2 : Moved::kPoint1);
  }
}

// Method 1: sync point 2 shows where its position plays.
void FollowSyncPoint2() {
  const int32_t t2 = TickToTime(ReadValue(kSync2Measure));
  int32_t lo = 0, hi = 0;
  ReadRange(kSync2Time, &lo, &hi);
  if (t2 >= lo && t2 <= hi) Set(kSync2Time, t2, kSync2Time);
}

void Resynchronise(Moved moved) {
  if (moved != Moved::kOther) ApplySpacing(moved);
  const bool two_points = ReadValue(kSyncMethod) == kTwoPoints;
  if (two_points) TempoFromTwoPoints();
  HoldSyncPoint1(moved);
  if (!two_points) FollowSyncPoint2();
  RedrawScreen();
}

Rc OnSync1Time(ControlId, int32_t) {
  Resynchronise(Moved::kOther);
  return kRcOk;
}

Rc OnSync1Pos(ControlId, int32_t) {
  Resynchronise(Moved::kPoint1);
  return kRcOk;
}

Rc OnSync2Time(ControlId, int32_t) {
  Resynchronise(Moved::kOther);
  return kRcOk;
}

Rc OnSync2Pos(ControlId, int32_t) {
  Resynchronise(Moved::kPoint2);
  return kRcOk;
}

Rc OnTempo(ControlId, int32_t) {
  Resynchronise(Moved::kOther);
  return kRcOk;
}

Rc OnMethod(ControlId, int32_t) {
  const bool two_points = ReadValue(kSyncMethod) == kTwoPoints;
  WriteAlive(kSync1Time, true);
  WriteAlive(kSync1Measure, true);
  WriteAlive(kSync2Time, two_points);
  WriteAlive(kSync2Measure, two_points);
  WriteAlive(kTempo, !two_points);
  WriteAlive(kStandardTempoButton, !two_points);
  WriteValue(kMenuSyncTwoPoints, two_points ? 1 : 0, false);
  WriteValue(kMenuSyncPointAndTempo, two_points ? 0 : 1, false);
  RedrawScreen();
  return kRcOk;
}

// The menu's two radio items choose the method; the method's own reaction
// then sets both items.
Rc OnMenuTwoPoints(ControlId, int32_t) {
  return WriteValue(kSyncMethod, kTwoPoints);
}

Rc OnMenuPointAndTempo(ControlId, int32_t) {
  return WriteValue(kSyncMethod, kPointAndTempo);
}

}  // namespace

// Writes through the second names (group 0x07) run these too.
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterTimeSync() {
  RegisterReaction(kSync1Time, OnSync1Time, kStageValues);
  RegisterReaction(kSync1Measure, OnSync1Pos, kStageValues);
  RegisterReaction(kSync2Time, OnSync2Time, kStageValues);
  RegisterReaction(kSync2Measure, OnSync2Pos, kStageValues);
  RegisterReaction(kEditTempo, OnTempo, kStageValues);
  RegisterReaction(kSyncMethod, OnMethod, kStageValues);
  RegisterReaction(kMenuSyncTwoPoints, OnMenuTwoPoints, kStageValues);
  RegisterReaction(kMenuSyncPointAndTempo, OnMenuPointAndTempo, kStageValues);
}

}  // namespace qm3
