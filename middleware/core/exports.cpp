// The exported calls: validation, undo snapshot, scaling and the reaction
// step of writes; reads with the pointer acknowledgement and the range
// handshake; text rendering and parsing. No exception leaves these calls.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/device_handover.h"
#include "core/middleware.h"
#include "core/pointer.h"
#include "core/result.h"
#include "core/value_table.h"
#include "qm3middle.h"

namespace qm3 {
namespace {

// Stored values are 32-bit; wider host values saturate, so the range check
// refuses them instead of wrapping into range.
int32_t Saturate(int64_t v) {
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(v);
}

// The host sees the real-time tempo in whole BPM and the song-edit tempo in
// 1/100 BPM; the table keeps 1/10000 BPM.
int64_t HostScale(ControlId id) {
  if (id == kTempo) return 10000;
  if (id == kEditTempo) return 100;
  return 1;
}

int32_t ScaleForRead(ControlId id, int32_t v) {
  const int64_t scale = HostScale(id);
  if (scale == 1) return v;
  // Rounded half up (+0.5, truncated toward zero).
  return static_cast<int32_t>(static_cast<int64_t>(static_cast<double>(v) / scale + 0.5));
}

// Opening a file first lets a freshly found sound module settle.
Rc RunNumberedProcess(int number, long* a, long* b) {
  if (number == kProcOpenFile) WaitHardwareReady();
  return RunProcess(number, a, b);
}

Rc SetProcess(int number, long a, long b) {
  if (number == kProcPointerPos) return WritePointerProcess(Saturate(a), Saturate(b));
  if (number == kProcRealTimeSongFlag) {
    if (EditingMode() == 0) SetRealTimeSongFlag(Saturate(a));
    return kRcOk;
  }
  return RunNumberedProcess(number, &a, &b);
}

Rc SetValueImpl(long lID, signed char cCmd, long lValue1, long lValue2) {
  const ControlId id = static_cast<ControlId>(lID & 0xFFFF);
  if (cCmd == kCmdValue) NoteHostEdit(id);
  SetAccessedId(id);
  const int group = GroupOf(id);
  if (group == kGroupScreen) return kRcOk;
  if (group == kGroupProcess) {
    if (cCmd != kCmdValue) return kRcError;
    return SetProcess(IndexOf(id), lValue1, lValue2);
  }
  if (!GroupHasDirectory(group)) return kRcError;
  switch (cCmd) {
    case kCmdValue: {
      int32_t value = Saturate(static_cast<int64_t>(Saturate(lValue1)) * HostScale(id));
      if (id == kMenuPreCount) value = ReadValue(id) != 0 ? 0 : 1;  // every write toggles
      int32_t old_value = 0;
      if (WriteCommand(id, kCmdValue, &value, 0, &old_value) != WriteOutcome::kStored) return kRcOk;
      return RunReaction(id, old_value);
    }
    case kCmdRange: {
      int32_t min = Saturate(lValue1);
      WriteCommand(id, kCmdRange, &min, Saturate(lValue2), nullptr);
      return kRcOk;
    }
    case kCmdAlive: {
      int32_t alive = static_cast<int32_t>(lValue1 & 0xFF);
      WriteCommand(id, kCmdAlive, &alive, 0, nullptr);
      return kRcOk;
    }
    default:
      return kRcError;
  }
}

// Renders `value` as the control shows it.
int RenderText(ControlId id, int32_t value, char* text) {
  if (FormatFn f = RecordFormatter(id); f != nullptr) return f(value, text);
  const int32_t width = ReadWidth(id);
  if (width < 1) {
    text[0] = '\0';
    return 0;
  }
  std::snprintf(text, static_cast<size_t>(width) + 12, "%*d", static_cast<int>(width), value);
  return 0;
}

// The text reads return what the record's text form returned: an int the host
// gets as it is (it may call the same form itself).
int GetValueImpl(long lID, signed char cCmd, long* plValue1, long* plValue2) {
  const ControlId id = static_cast<ControlId>(lID & 0xFFFF);
  SetAccessedId(id);
  AcknowledgePointerRead(id);
  const int group = GroupOf(id);
  if (group == kGroupScreen) return 0;
  if (group == kGroupProcess) {
    if (cCmd != kCmdValue) return 0;
    const int number = IndexOf(id);
    long dummy_a = 0;
    long dummy_b = 0;
    long* a = plValue1 != nullptr ? plValue1 : &dummy_a;
    long* b = plValue2 != nullptr ? plValue2 : &dummy_b;
    const int rc = RunNumberedProcess(number, a, b);
    if (number == kProcPointerPos) AfterPointerRead(a, b);
    return rc;
  }
  if (!GroupHasDirectory(group)) return 0;
  if (plValue1 == nullptr) return kRcError;
  int32_t a = 0;
  int32_t b = 0;
  const ResolvedControl rc = Resolve(id);
  const bool has_record =
      rc.kind == ResolvedControl::kRecord || rc.kind == ResolvedControl::kHandler;
  switch (cCmd) {
    case kCmdValue: {
      if (!has_record) return 0;
      const int hook = RunReadHook(id);
      ReadCommand(id, kCmdValue, &a, nullptr);
      *plValue1 = ScaleForRead(id, a);
      return hook;
    }
    case kCmdRange:
      if (plValue2 == nullptr) return kRcError;
      if (!has_record) return 0;
      ReadCommand(id, kCmdRange, &a, &b);
      *plValue1 = ScaleForRead(id, a);
      *plValue2 = ScaleForRead(id, b);
      return 0;
    case kCmdAlive:
    case kCmdWidth:
      if (!has_record) return 0;
      ReadCommand(id, cCmd, &a, nullptr);
      *plValue1 = a;
      return 0;
    case kCmdText: {
      char* text = reinterpret_cast<char*>(*plValue1);
      if (text == nullptr) return kRcError;
      if (!has_record) {
        text[0] = '\0';
        return 0;
      }
      // The text shows the value as the host sees it (tempo scaled).
      return RenderText(id, ScaleForRead(id, ReadValue(id)), text);
    }
    case kCmdParser:
      if (has_record) *plValue1 = reinterpret_cast<long>(RecordParser(id));
      return 0;
    case kCmdFormatter:
      if (has_record) *plValue1 = reinterpret_cast<long>(RecordFormatter(id));
      return 0;
    default:
      return kRcError;
  }
}

int GetValueStrImpl(long lID, long lValue, char* text) {
  const ControlId id = static_cast<ControlId>(lID & 0xFFFF);
  SetAccessedId(id);
  if (text == nullptr) return kRcError;
  const ResolvedControl rc = Resolve(id);
  if (rc.kind != ResolvedControl::kRecord && rc.kind != ResolvedControl::kHandler) {
    text[0] = '\0';
    return 0;
  }
  return RenderText(id, Saturate(lValue), text);
}

// The decimal integer at the start of the text (none gives 0); saturates.
int32_t LeadingInteger(const char* text) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text) return 0;
  return Saturate(v);
}

int GetStrValueImpl(long lID, const char* text, long* plValue) {
  const ControlId id = static_cast<ControlId>(lID & 0xFFFF);
  SetAccessedId(id);
  if (text == nullptr || plValue == nullptr) return kRcError;
  if (ParseFn p = RecordParser(id); p != nullptr) {
    int32_t v = static_cast<int32_t>(*plValue);
    const int rc = p(text, &v);
    *plValue = v;
    return rc;
  }
  *plValue = LeadingInteger(text);
  return 0;
}

// Where a code leaves for the host (QM3MiddleInit has a guard of its own): the
// Rc of the call (or the int a text form handed back, which the host may also
// call itself) becomes the C int of the exported call.
template <typename Fn>
int Guarded(Fn fn) {
  const std::lock_guard one_call_at_a_time(Anchor().calls);
  if (HasEnded()) return kRcNotInitialised;
  try {
    RunPostedWork();
    const int rc = fn();
    // What the device threads handed over during the call (a play's start
    // position) is in the table when the call returns.
    if (!HasEnded()) RunPostedWork();
    return rc;
  } catch (const std::bad_alloc&) {
    return kRcNoMemory;
  } catch (...) {
    return kRcError;
  }
}

}  // namespace
}  // namespace qm3

extern "C" {

int QM3SetValue(long lID, signed char cCmd, long lValue1, long lValue2) {
  return qm3::Guarded([&] { return qm3::SetValueImpl(lID, cCmd, lValue1, lValue2); });
}

int QM3GetValue(long lID, signed char cCmd, long* plValue1, long* plValue2) {
  return qm3::Guarded([&] { return qm3::GetValueImpl(lID, cCmd, plValue1, plValue2); });
}

int QM3GetValueStr(long lID, long lValue, char* pszText) {
  return qm3::Guarded([&] { return qm3::GetValueStrImpl(lID, lValue, pszText); });
}

int QM3GetStrValue(long lID, const char* pszText, long* plValue) {
  return qm3::Guarded([&] { return qm3::GetStrValueImpl(lID, pszText, plValue); });
}

int QM3GetValueFunc(int nProcess, long* plValue1, long* plValue2) {
  return qm3::Guarded([&] { return qm3::RunNumberedProcess(nProcess, plValue1, plValue2); });
}

}  // extern "C"
