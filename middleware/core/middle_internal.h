// The middleware's internal access to its own state: the value table, the
// notification channel, the process table and the reaction step. Every part
// of the middleware reads and writes its state through these calls.
//
// Thread rules: the value table is not locked (as designed); call from the
// host thread or with the middleware lock held. Notify may be called from any
// thread (it posts, never sends).
#pragma once
#include <cstdint>
#include <string>

#include "core/result.h"
#include "qm3middle_ids.h"

namespace qm3 {

using ControlId = int32_t;

// Notification kinds (qm3middle_ids.h); the same numbers as the command codes,
// 3 = redraw.
enum NotifyKind : int {
  kNotifyValue = QM3_NOTIFY_VALUE,
  kNotifyRange = QM3_NOTIFY_RANGE,
  kNotifyAlive = QM3_NOTIFY_ALIVE,
  kNotifyRedraw = QM3_NOTIFY_REDRAW,
  kNotifyWidth = QM3_NOTIFY_WIDTH,
  kNotifyText = QM3_NOTIFY_TEXT,
};

// ---- value table (aliases are followed; unknown identifiers read 0) ------
int32_t ReadValue(ControlId id);
bool ReadRange(ControlId id, int32_t* min, int32_t* max);
// Whether `value` lies in the range of `id` (false for an identifier with none).
bool InRange(ControlId id, int64_t value);
bool ReadAlive(ControlId id);

// The internal write path (range check and reaction of a host write):
// out-of-range values are refused silently (kRcOk, value kept). With `react`
// the reaction step for `id` runs and its result is returned.
Rc WriteValue(ControlId id, int32_t value, bool react = true);
Rc WriteRange(ControlId id, int32_t min, int32_t max);
Rc WriteAlive(ControlId id, bool alive);
// The display width (maximum characters typed); writable only from inside.
int32_t ReadWidth(ControlId id);
Rc WriteWidth(ControlId id, int32_t width);

// Text forms of a record: render a value as the control shows it, and read
// typed text back. Text is Shift-JIS; buffers hold at least 256 bytes. Both
// return a return code (0 success). `AccessedId()` tells a form attached to a
// shared record under which identifier it is being used.
using FormatFn = int32_t (*)(int32_t value, char* text);
using ParseFn = int32_t (*)(const char* text, int32_t* value);
// Attaches to the record behind `id` (aliases followed); last call wins.
void AttachTextForms(ControlId id, FormatFn formatter, ParseFn parser);
// The identifier of the host call in progress (set by every exported call).
ControlId AccessedId();

// Posts "QM3MIDDLE"(id, kind) to the host window; no-op without a host.
void Notify(ControlId id, int kind);
// After enabled states changed: redraws the transport window (0x4206), then
// the current screen (for the edit screens the panes of the editing mode).
void RedrawScreen();

// ---- process table -------------------------------------------------------
// A process receives the two pointer-sized arguments and leaves its results in
// them. Parts register their processes from the list in registration.cpp.
using ProcessFn = Rc (*)(long* a, long* b);
// Returns the function registered before (so a test can put it back).
ProcessFn RegisterProcess(int number, ProcessFn fn);
Rc RunProcess(int number, long* a, long* b);

// ---- reaction step ---------------------------------------------------------
// Runs after a successful value write from the host (or an internal write with
// react). `old_value` is the value replaced. Parts register their reactions
// from the list in registration.cpp. One identifier may have reactions in several
// stages; they run in stage order and the first result other than kRcOk ends the
// step and is returned (a refusal restores the old value itself).
// A write to an alias with no reactions of its own runs those of its target
// (0x0504 runs those of 0x0301; 0x07nn those of 0x05nn), following the chain;
// the reaction receives the identifier actually written. A value refused by
// the range check runs none.
enum ReactionStage : int {
  kStageValues = 0,  // dependent values, enabled states, catalog-driven choices
  kStageSong = 1,    // fitting the song into its time, re-rendering
  kStageDevice = 2,  // sending the change to the sound module
};
using ReactionFn = Rc (*)(ControlId id, int32_t old_value);
void RegisterReaction(ControlId id, ReactionFn fn, int stage = kStageValues);
Rc RunReaction(ControlId id, int32_t old_value);

// ---- read hooks ------------------------------------------------------------
// Runs when the host reads the value of `id` (cCmd 0), before the value is
// taken; it may bring the value up to date (conversion progress). A result
// other than kRcOk is the read's return code; the value is read all the same.
using ReadHookFn = Rc (*)(ControlId id);
void RegisterReadHook(ControlId id, ReadHookFn fn);
Rc RunReadHook(ControlId id);

// ---- initialisation and shut-down steps -------------------------------------
// Steps of QM3MiddleInit owned by other parts (voice tables, catalogs, audio
// device) and of End (process 18). A result other than kRcOk of an init step is
// the init's result.
enum InitStep : int {
  kInitVoiceTables = 4,  // first call only
  kInitCatalogs = 5,     // first call only; failure is not counted
  kInitAudio = 9,        // every call, when the module was found
};
using StepFn = Rc (*)();
void RegisterInitStep(int step, StepFn fn);
Rc RunInitSteps(int step);
void RegisterShutdownStep(StepFn fn);
void RunShutdownSteps();

// ---- shared middleware globals ---------------------------------------------
// The host program's directory (content lives here), with a trailing '/'.
const std::string& HostDirectory();
void SetHostDirectory(const std::string& dir);
// The writable work folder of this instance for render and capture files,
// with a trailing '/': taken on first use (see core/work_folder.h), given
// back by ReleaseWorkDirectory at the end.
const std::string& WorkDirectory();
void ReleaseWorkDirectory();

// The lock of the middleware: serialises closing MIDI devices against their
// callbacks. Created by the first QM3MiddleInit, deleted by End (process 18);
// a guard taken while there is no lock does nothing. Not recursive.
class MiddleLockGuard {
 public:
  MiddleLockGuard();
  ~MiddleLockGuard();
  MiddleLockGuard(const MiddleLockGuard&) = delete;
  MiddleLockGuard& operator=(const MiddleLockGuard&) = delete;

 private:
  bool held_ = false;
};

// ---- screens, modes and state flags (host thread) ----------------------------
// Current screen number nn of 0x42nn (0 before the first process 25).
int CurrentScreen();
// Editing mode 0x0501: 0 song, 1 SMF, 2 content.
int EditingMode();
// Playback running (process 39). Set by the transport; any thread.
bool IsPlaying();
void SetPlaying(bool playing);
// "Saved" flag of process 20: true when nothing is unsaved.
bool IsSaved();
void SetSaved(bool saved);
// Current file name (Shift-JIS path), set by open and save-as.
const std::string& CurrentFileName();
void SetCurrentFileName(const std::string& name);
// INI file name stored by process 33.
const std::string& IniFileName();
// The rhythm last chosen in this run (0 before any); the rhythm reaction
// remembers it, process 26 starts new songs with it.
int32_t RememberedRhythm();
void SetRememberedRhythm(int32_t rhythm);

// ---- undo ---------------------------------------------------------------------
// State outside the value table that an edit changes (the song's phrase list)
// joins the snapshot: `take` copies the live state into its snapshot (false
// when out of memory), `swap` exchanges live state and snapshot, `release`
// frees the snapshot.
struct UndoParticipant {
  bool (*take)() = nullptr;
  void (*swap)() = nullptr;
  void (*release)() = nullptr;
};
void RegisterUndoParticipant(const UndoParticipant& participant);
// Copies the whole table (and every participant) into the snapshot.
bool TakeUndoSnapshot();
// Exchanges the live table with the snapshot; the time-line pointer stays,
// the main volume is written again so the sound module follows.
void SwapUndoSnapshot();
// Undo and redo disabled, the remembered edit identifier cleared.
void DisableUndo();

// ---- pointer and range ----------------------------------------------------------
struct SelectedRange {
  int32_t start_ticks = 0;
  int32_t end_ticks = 0;
  int32_t start_time = 0;
  int32_t end_time = 0;
};
SelectedRange ReadSelectedRange();
// Moves the time-line pointer as process 3 does (no playback check).
Rc SetPointerPosition(int32_t ticks);
// Playback following with flow control: BeginPointerFlow when playback starts
// (posts the start position at once), FollowPlaybackPosition for each new
// playback position (12-tick steps; 0x8003 posted only after the host
// acknowledged the previous one).
void BeginPointerFlow(int32_t start_ticks);
void FollowPlaybackPosition(int32_t ticks);
// SMF and content modes: the part values at a position. The registered
// function writes and notifies each of 0x4104+4k..0x4106+4k that changed.
using PartFollowerFn = void (*)(int32_t ticks);
void RegisterPartFollower(PartFollowerFn fn);

// ---- devices and the sound module -----------------------------------------------
// Called by QM3MiddleInit when the module's output port is found; opens it for
// set-up and returns kRcOk on success (then the hardware counts as found).
using ModulePortFoundFn = Rc (*)(unsigned device_number);
// Returns the function registered before.
ModulePortFoundFn RegisterModulePortFound(ModulePortFoundFn fn);
bool ModuleFound();    // the module's port name was listed
bool HardwareFound();  // and its port opened
// Waits (100 ms steps, at most 25) for the hardware-ready deadline, then
// writes the main volume again. Processes 17 and 26 call it first.
void WaitHardwareReady();
// Resets the player: stops playback, clears the module's parts, transport to
// stopped. Registered by the transport; run by mode changes and process 26.
void RegisterPlayerReset(StepFn fn);
void ResetPlayer();

// ---- screen entry and exit ------------------------------------------------------
// Runs after the core's own work on entering / before leaving `screen`; a
// failure of an enter hook is process 25's result (kRcMidiDeviceNotOpened: no
// MIDI input).
using ScreenHookFn = Rc (*)(int screen);
void RegisterScreenEnter(int screen, ScreenHookFn fn);
void RegisterScreenLeave(int screen, ScreenHookFn fn);

// ---- edit screen title ------------------------------------------------------------
// Shift-JIS names for the song-mode title (current rhythm and melody; the
// catalogs' names of 0x0303 and 0x0306 when none is registered), and whether
// the SMF sounds are the General MIDI set (else the module's own).
using NameFn = std::string (*)();
void RegisterTitleNames(NameFn rhythm_name, NameFn melody_name);
void RegisterSoundSetQuery(bool (*is_general_midi)());

}  // namespace qm3
