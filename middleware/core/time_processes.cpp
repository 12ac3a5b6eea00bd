// The time conversion processes: 4 Tick2Meas, 5 Meas2Tick, 6 Tick2Sec,
// 7 Sec2Tick, 14 time of a tick, 15 tick of a time, 36 TickInMeas.
// Each reads its argument from the first variable and leaves the result in
// the second.
#include <cstdint>

#include "core/middle_internal.h"
#include "core/time_base.h"

namespace qm3 {
namespace {

int32_t Arg(const long* a) {
  return static_cast<int32_t>(*a);
}

Rc Tick2Meas(long* a, long* b) {
  *b = (Arg(a) / kTicksPerBeat) / BeatsPerMeasure();
  return kRcOk;
}

Rc Meas2Tick(long* a, long* b) {
  const int64_t ticks = static_cast<int64_t>(Arg(a)) * TicksPerMeasure();
  *b = ticks > INT32_MAX ? INT32_MAX : (ticks < INT32_MIN ? INT32_MIN : ticks);
  return kRcOk;
}

Rc Tick2Sec(long* a, long* b) {
  *b = TickToMajorUnit(Arg(a));
  return kRcOk;
}

Rc Sec2Tick(long* a, long* b) {
  *b = MajorUnitToTick(Arg(a));
  return kRcOk;
}

Rc TimeOfTick(long* a, long* b) {
  *b = TickToTime(Arg(a));
  return kRcOk;
}

Rc TickOfTime(long* a, long* b) {
  *b = TimeToTick(Arg(a));
  return kRcOk;
}

Rc TickInMeas(long* a, long* b) {
  *b = Arg(a) % TicksPerMeasure();
  return kRcOk;
}

}  // namespace

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterTimeProcesses() {
  RegisterProcess(4, Tick2Meas);
  RegisterProcess(5, Meas2Tick);
  RegisterProcess(6, Tick2Sec);
  RegisterProcess(7, Sec2Tick);
  RegisterProcess(14, TimeOfTick);
  RegisterProcess(15, TickOfTime);
  RegisterProcess(36, TickInMeas);
}

}  // namespace qm3
