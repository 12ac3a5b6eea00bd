// The core's flags and hook tables.
#include "core/core_state.h"

#include <atomic>
#include <map>
#include <vector>

#include "core/control_ids.h"
#include "core/middleware.h"
#include "core/time_format.h"
#include "core/value_table.h"

namespace qm3 {

struct Hooks {
  std::map<int, std::vector<ScreenHookFn>> enter;
  std::map<int, std::vector<ScreenHookFn>> leave;
  std::vector<StepFn> player_reset;
  NameFn rhythm_name = nullptr;
  NameFn melody_name = nullptr;
  bool (*is_general_midi)() = nullptr;
};

struct CoreState {
  std::atomic<long> hwnd{0};
  std::atomic<long> message{0};
  std::atomic<bool> playing{false};
  int screen = kScreenNone;
  ControlId accessed = 0;
  ControlId last_edit = 0;
  bool saved = true;
  std::string file_name;
  std::string ini_name;
  int32_t remembered_rhythm = 0;
  int32_t real_time_song = 0;
  // Filled by registration when the instance is made.
  Hooks hooks;
};

PartState<CoreState> MakeCoreState() {
  return MakePartState<CoreState>();
}

namespace {

CoreState& State() {
  return *TheMiddleware().core;
}

Hooks& TheHooks() {
  return State().hooks;
}

Rc RunHooks(const std::map<int, std::vector<ScreenHookFn>>& table, int screen) {
  auto it = table.find(screen);
  if (it == table.end()) return kRcOk;
  for (ScreenHookFn fn : it->second) {
    if (Rc rc = fn(screen); rc != kRcOk) return rc;
  }
  return kRcOk;
}

}  // namespace

void BindHost(long hwnd, long message) {
  State().message = message;
  State().hwnd = hwnd;
}
long HostWindow() {
  return State().hwnd;
}
long HostMessage() {
  return State().message;
}

int CurrentScreen() {
  return State().screen;
}
void SetCurrentScreen(int screen) {
  State().screen = screen & 0xFF;
}
int EditingMode() {
  return ReadValue(kEditingMode);
}
bool IsPlaying() {
  return State().playing.load(std::memory_order_acquire);
}
void SetPlaying(bool playing) {
  State().playing.store(playing, std::memory_order_release);
}
bool HasEnded() {
  return Anchor().ended.load(std::memory_order_acquire);
}
void SetEnded(bool ended) {
  Anchor().ended.store(ended, std::memory_order_release);
}
bool IsSaved() {
  return State().saved;
}
void SetSaved(bool saved) {
  State().saved = saved;
}
const std::string& CurrentFileName() {
  return State().file_name;
}
void SetCurrentFileName(const std::string& name) {
  State().file_name = name;
}
const std::string& IniFileName() {
  return State().ini_name;
}
void SetIniFileName(const std::string& name) {
  State().ini_name = name;
}
int32_t RememberedRhythm() {
  return State().remembered_rhythm;
}
void SetRememberedRhythm(int32_t rhythm) {
  State().remembered_rhythm = rhythm;
}
void SetAccessedId(ControlId id) {
  State().accessed = id & 0xFFFF;
}
ControlId AccessedId() {
  return State().accessed;
}
ControlId LastEditId() {
  return State().last_edit;
}
void SetLastEditId(ControlId id) {
  State().last_edit = id;
}
int32_t RealTimeSongFlag() {
  return State().real_time_song;
}
void SetRealTimeSongFlag(int32_t flag) {
  State().real_time_song = flag;
}

void RegisterScreenEnter(int screen, ScreenHookFn fn) {
  if (fn != nullptr) TheHooks().enter[screen].push_back(fn);
}
void RegisterScreenLeave(int screen, ScreenHookFn fn) {
  if (fn != nullptr) TheHooks().leave[screen].push_back(fn);
}
Rc RunScreenEnter(int screen) {
  return RunHooks(TheHooks().enter, screen);
}
Rc RunScreenLeave(int screen) {
  return RunHooks(TheHooks().leave, screen);
}

void RegisterPlayerReset(StepFn fn) {
  if (fn != nullptr) TheHooks().player_reset.push_back(fn);
}
void ResetPlayer() {
  for (StepFn fn : TheHooks().player_reset) fn();
}

void RegisterTitleNames(NameFn rhythm_name, NameFn melody_name) {
  TheHooks().rhythm_name = rhythm_name;
  TheHooks().melody_name = melody_name;
}
void RegisterSoundSetQuery(bool (*is_general_midi)()) {
  TheHooks().is_general_midi = is_general_midi;
}
NameFn RhythmNameSource() {
  return TheHooks().rhythm_name;
}
NameFn MelodyNameSource() {
  return TheHooks().melody_name;
}
bool SoundSetIsGeneralMidi() {
  return TheHooks().is_general_midi != nullptr ? TheHooks().is_general_midi() : true;
}

int32_t TimeOfTick(int32_t ticks) {
  long a = ticks;
  long b = 0;
  RunProcess(kProcTickToTime, &a, &b);
  return static_cast<int32_t>(b);
}

}  // namespace qm3
