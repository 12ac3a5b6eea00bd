// The small processes of the core: End, file name and saved flag, save-as,
// value split, INI name, function keys, version, real-time song flag and the
// playing flag.
#include <cstring>
#include <string>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middleware.h"
#include "core/result.h"
#include "platform/clock.h"

namespace qm3 {
namespace {

constexpr long kDllVersion = 200;
constexpr long kKeyF11 = 122;  // stop
constexpr long kKeyF12 = 123;  // play
constexpr uint32_t kKeyRepeatMs = 100;
// The host's file-name buffer holds a Windows path (MAX_PATH).
constexpr size_t kFileNameBuffer = 260;

// Process 18: stop playback, free everything, delete the lock, then the
// instance itself.
Rc End(long*, long*) {
  WriteValue(kStop, 0);
  RunShutdownSteps();
  ReleaseUndoSnapshot();
  ReleaseWorkDirectory();
  DeleteMiddleLock();
  SetEnded(true);
  DestroyMiddleware();
  return kRcOk;
}

// Process 19: a = the host's buffer, receives the current file name.
Rc GetEditFileName(long* a, long*) {
  char* buffer = reinterpret_cast<char*>(*a);
  if (buffer == nullptr) return kRcError;
  const std::string& name = CurrentFileName();
  const size_t n = name.size() < kFileNameBuffer ? name.size() : kFileNameBuffer - 1;
  std::memcpy(buffer, name.data(), n);
  buffer[n] = '\0';
  return kRcOk;
}

// Process 20: a = 1 when nothing is unsaved.
Rc GetSaved(long* a, long*) {
  *a = IsSaved() ? 1 : 0;
  return kRcOk;
}

// Process 22: b = the new file name, then saved as process 21. A failed save
// keeps the previous name, so a later save does not go to a file that was
// never written.
Rc SaveAsFile(long* a, long* b) {
  const char* name = reinterpret_cast<const char*>(*b);
  if (name == nullptr) return kRcError;
  const std::string previous = CurrentFileName();
  SetCurrentFileName(name);
  const Rc rc = RunProcess(kProcSaveFile, a, b);
  if (rc != kRcOk) SetCurrentFileName(previous);
  return rc;
}

// Processes 31, 32: a = value >> 8, b = value & 255.
Rc Split(long* a, long* b) {
  const long v = *a;
  *a = v >> 8;
  *b = v & 255;
  return kRcOk;
}

// Process 33: a = the INI file name.
Rc SetIniFileNameProcess(long* a, long*) {
  const char* name = reinterpret_cast<const char*>(*a);
  if (name == nullptr) return kRcError;
  SetIniFileName(name);
  return kRcOk;
}

}  // namespace

// The last function key, to tell auto-repeat.
struct KeyRepeat {
  bool has_previous = false;
  long previous_key = 0;
  uint32_t previous_time = 0;
};
PartState<KeyRepeat> MakeKeyRepeat() {
  return MakePartState<KeyRepeat>();
}

namespace {

// Process 34: function keys; the same key again within 100 ms is auto-repeat.
Rc SetKeyCode(long* a, long*) {
  KeyRepeat& k = *TheMiddleware().keys;
  const long key = *a;
  const uint32_t now = platform::GetTickCount();
  const bool repeat =
      k.has_previous && key == k.previous_key && now - k.previous_time < kKeyRepeatMs;
  k.has_previous = true;
  k.previous_key = key;
  k.previous_time = now;
  if (repeat) return kRcOk;
  if (key == kKeyF11) return WriteValue(kStop, 0);
  if (key == kKeyF12 && ReadAlive(kPlay)) return WriteValue(kPlay, 1);
  return kRcOk;
}

// Process 37: the library's version.
Rc GetDllVersion(long* a, long*) {
  *a = kDllVersion;
  return kRcOk;
}

// Process 38 read: the real-time song flag in song mode, else 0.
Rc GetRealTimeSongFlag(long* a, long*) {
  *a = EditingMode() == 0 ? RealTimeSongFlag() : 0;
  return kRcOk;
}

// Process 39: 1 while playback runs.
Rc GetPlaying(long* a, long*) {
  *a = IsPlaying() ? 1 : 0;
  return kRcOk;
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterProcesses() {
  RegisterProcess(kProcEnd, End);
  RegisterProcess(kProcGetEditFileName, GetEditFileName);
  RegisterProcess(kProcGetSaved, GetSaved);
  RegisterProcess(kProcSaveAsFile, SaveAsFile);
  RegisterProcess(kProcSplit31, Split);
  RegisterProcess(kProcSplit32, Split);
  RegisterProcess(kProcSetIniFileName, SetIniFileNameProcess);
  RegisterProcess(kProcSetKeyCode, SetKeyCode);
  RegisterProcess(kProcGetDllVersion, GetDllVersion);
  RegisterProcess(kProcRealTimeSongFlag, GetRealTimeSongFlag);
  RegisterProcess(kProcPlayingNow, GetPlaying);
}

}  // namespace qm3
