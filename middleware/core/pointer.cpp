// Pointer position, selected range, phrase following and playback pacing.
#include "core/pointer.h"

#include <algorithm>
#include <atomic>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/device_handover.h"
#include "core/middleware.h"
#include "core/value_table.h"
#include "song/phrase_list.h"

namespace qm3 {
namespace {

constexpr int32_t kTicksPerBeat = 96;
constexpr int32_t kFlowStep = 12;        // playback pointer steps
constexpr int32_t kPartLookupStep = 48;  // part values followed while playing

}  // namespace

struct PointerState {
  // Set by the MIDI file's registration.
  PartFollowerFn part_follower = nullptr;
  std::atomic<bool> pending_set{false};
  std::atomic<int32_t> pending{0};
  std::atomic<int32_t> acknowledged{0};
  std::atomic<int32_t> last_posted{0};
  int32_t last_step = 0;
  bool range_changed = false;
  bool range_announced = false;
};

PartState<PointerState> MakePointerState() {
  return MakePartState<PointerState>();
}

namespace {

PointerState& P() {
  return *TheMiddleware().pointer;
}

PartFollowerFn& PartFollower() {
  return P().part_follower;
}

// Shows the fields of phrase `index` in the time-line pane controls.
void LoadPhraseControls(const SongPhrase& p) {
  const bool body = p.kind == kPhraseBody;
  WriteValue(kPhraseVariation, p.variation, false);
  WriteValue(kPhraseFillIn, p.fill_in, false);
  WriteAlive(kPhraseVariation, body);
  WriteAlive(kPhraseFillIn, body);
  struct Switch {
    ControlId id;
    int32_t bit;
  };
  constexpr Switch kSwitches[] = {
      {kPhraseAccomp1, kPartAccomp1}, {kPhraseAccomp2, kPartAccomp2},
      {kPhraseAccomp3, kPartAccomp3}, {kPhraseBass, kPartBass},
      {kPhraseDrums, kPartDrums},     {kPhraseMelody, kPartMelody},
  };
  for (const Switch& s : kSwitches) {
    WriteValue(s.id, (p.parts & s.bit) != 0 ? 1 : 0, false);
    WriteAlive(s.id, true);
  }
}

// Song mode: selects the phrase under the pointer when it changed.
void FollowPhrase(int32_t ticks) {
  const auto& phrases = SongPhrases();
  if (phrases.empty()) return;
  int found = -1;
  int64_t end = 0;
  for (size_t i = 0; i < phrases.size(); ++i) {
    end += static_cast<int64_t>(phrases[i].length) * kTicksPerBeat;
    if (end > ticks) {
      found = static_cast<int>(i);
      break;
    }
  }
  if (found < 0 && ticks == end) found = static_cast<int>(phrases.size()) - 1;
  if (found < 0 || found == SelectedPhrase()) return;
  SetSelectedPhrase(found);
  Notify(ProcessId(kProcGetSelectPhrase), kNotifyValue);
  LoadPhraseControls(phrases[static_cast<size_t>(found)]);
  RedrawScreen();
}

enum class PointerPosts { kAll, kNone };

void MovePointer(int32_t ticks, PointerPosts posts) {
  WriteValue(kPointerTicks, ticks, false);
  WriteValue(kPointerTime, TimeOfTick(ticks), false);
  if (EditingMode() == 0) {
    if (posts == PointerPosts::kAll) {
      Notify(kPointerTime, kNotifyValue);
      Notify(kPointerTicks, kNotifyValue);
    }
    FollowPhrase(ticks);
    return;
  }
  if (posts == PointerPosts::kAll) {
    Notify(kPartPointerTime, kNotifyValue);
    Notify(kPartPointerTicks, kNotifyValue);
  }
  if (IsPlaying() && ticks % kPartLookupStep != 0) return;
  if (PartFollower() != nullptr) PartFollower()(ticks);
}

bool InPointerRange(int32_t ticks) {
  int32_t min = 0;
  int32_t max = 0;
  ReadRange(kPointerTicks, &min, &max);
  return ticks >= min && ticks <= max;
}

Rc WritePointerOrRange(int32_t a, int32_t b) {
  if (!InPointerRange(a) || !InPointerRange(b)) return kRcOk;
  if (b != 0) {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    ControlRecord& start = RangeRecordAt(kRangeStartTicks);
    ControlRecord& end = RangeRecordAt(kRangeEndTicks);
    if (start.value != lo || end.value != hi) P().range_changed = true;
    start.value = lo;
    end.value = hi;
    RangeRecordAt(kRangeStartTime).value = TimeOfTick(lo);
    RangeRecordAt(kRangeEndTime).value = TimeOfTick(hi);
    return kRcOk;
  }
  MovePointer(a, PointerPosts::kAll);
  return kRcOk;
}

// Process 2: the selected phrase (-1 none).
Rc GetSelectPhrase(long* a, long*) {
  *a = SelectedPhrase();
  return kRcOk;
}

// Process 3 read: the pointer; the range arrives by the handshake.
Rc GetPointerPos(long* a, long* b) {
  *a = ReadValue(kPointerTicks);
  *b = 0;
  return kRcOk;
}

}  // namespace

Rc WritePointerProcess(int32_t a, int32_t b) {
  if (IsPlaying()) return kRcOk;
  if (b == 0) Notify(ProcessId(kProcPointerPos), kNotifyValue);
  return WritePointerOrRange(a, b);
}

Rc SetPointerPosition(int32_t ticks) {
  return WritePointerOrRange(ticks, 0);
}

void AfterPointerRead(long* a, long* b) {
  PointerState& p = P();
  p.pending = static_cast<int32_t>(*a);
  p.pending_set = true;
  if (!p.range_changed) return;
  if (!p.range_announced) {
    Notify(ProcessId(kProcPointerPos), kNotifyValue);
    p.range_announced = true;
    return;
  }
  const SelectedRange r = ReadSelectedRange();
  if (r.start_ticks == r.end_ticks) {
    *b = *a;
  } else {
    *a = r.start_ticks;
    *b = r.end_ticks;
  }
  p.range_changed = false;
  p.range_announced = false;
}

void AcknowledgePointerRead(ControlId id) {
  id &= 0xFFFF;
  if (id != kPointerTicks && id != kPartPointerTicks) return;
  PointerState& p = P();
  if (!p.pending_set.exchange(false)) return;
  p.acknowledged = p.pending.load();
}

SelectedRange ReadSelectedRange() {
  return SelectedRange{RangeRecordAt(kRangeStartTicks).value, RangeRecordAt(kRangeEndTicks).value,
                       RangeRecordAt(kRangeStartTime).value, RangeRecordAt(kRangeEndTime).value};
}

void BeginPointerFlow(int32_t start_ticks) {
  PointerState& p = P();
  const int32_t step = std::max(0, start_ticks) / kFlowStep * kFlowStep;
  p.acknowledged = 0;
  p.pending_set = false;
  p.last_step = step;
  p.last_posted = step;
  // The owner moves the pointer at its next call; the host hears now.
  PostToOwner([step] { MovePointer(step, PointerPosts::kNone); });
  Notify(ProcessId(kProcPointerPos), kNotifyValue);
}

void FollowPlaybackPosition(int32_t ticks) {
  PointerState& p = P();
  if (ticks < 0) return;
  const int32_t step = ticks / kFlowStep * kFlowStep;
  if (step < p.last_step + kFlowStep) return;
  p.last_step = step;
  const bool notify = p.acknowledged.load() >= p.last_posted.load();
  if (notify) p.last_posted = step;
  PostToOwner([step] { MovePointer(step, PointerPosts::kNone); });
  if (notify) Notify(ProcessId(kProcPointerPos), kNotifyValue);
}

void RegisterPartFollower(PartFollowerFn fn) {
  PartFollower() = fn;
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterPointer() {
  RegisterProcess(kProcGetSelectPhrase, GetSelectPhrase);
  RegisterProcess(kProcPointerPos, GetPointerPos);
}

}  // namespace qm3
