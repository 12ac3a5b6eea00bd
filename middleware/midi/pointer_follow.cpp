#include "midi/pointer_follow.h"

#include <atomic>

#include "core/control_ids.h"
#include "core/middle_internal.h"

namespace qm3::midi {
namespace {

std::atomic<uint32_t> g_last_step{0};
std::atomic<bool> g_following{false};

void StorePointer(uint32_t pos) {
  WriteValue(kPointerTicks, static_cast<int32_t>(pos), false);
  long a = static_cast<long>(pos), b = 0;
  if (RunProcess(kProcTickToTime, &a, &b) == 0)
    WriteValue(kPointerTime, static_cast<int32_t>(b), false);
}

}  // namespace

void BeginPointerFollow(uint32_t start) {
  g_last_step.store(start / 12 * 12);
  g_following.store(true);
  StorePointer(start / 12 * 12);
  Notify(0x8003, kNotifyValue);
}

void FollowPointerTo(uint32_t pos, bool force) {
  const uint32_t step = pos / 12 * 12;
  const uint32_t last = g_last_step.load();
  if (!force && step < last + 12) return;
  g_last_step.store(step);
  StorePointer(step);
  Notify(0x8003, kNotifyValue);
}

void EndPointerFollow() {
  g_following.store(false);
}

int CurrentScreenNumber() {
  return ReadValue(kEditingMode) == 0 ? 5 : 7;
}

int RhythmTransposeSemitones() {
  return 0;
}

}  // namespace qm3::midi
