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

namespace qm3 {

using ControlId = int32_t;

// Notification kinds; the same numbers as the command codes, 3 = redraw.
enum NotifyKind : int {
  kNotifyValue = 0,
  kNotifyRange = 1,
  kNotifyAlive = 2,
  kNotifyRedraw = 3,
  kNotifyWidth = 4,
  kNotifyText = 5,
};

// ---- value table (aliases are followed; unknown identifiers read 0) ------
int32_t ReadValue(ControlId id);
bool ReadRange(ControlId id, int32_t* min, int32_t* max);
bool ReadAlive(ControlId id);

// The internal write path (steps 6 and 7 of a host write): out-of-range values
// are refused silently (result 0, value kept). With `react` the reaction step
// for `id` runs and its result is returned.
int WriteValue(ControlId id, int32_t value, bool react = true);
int WriteRange(ControlId id, int32_t min, int32_t max);
int WriteAlive(ControlId id, bool alive);

// Posts "QM3MIDDLE"(id, kind) to the host window; no-op without a host.
void Notify(ControlId id, int kind);

// ---- process table -------------------------------------------------------
// A process receives the two pointer-sized arguments and leaves its results in
// them. Parts register their processes at load time with QM3_PROCESS.
using ProcessFn = int (*)(long* a, long* b);
void RegisterProcess(int number, ProcessFn fn);
int RunProcess(int number, long* a, long* b);

// ---- reaction step ---------------------------------------------------------
// Runs after a successful value write from the host (or an internal write with
// react). `old_value` is the value replaced. Parts register their reactions
// at load time with QM3_REACTION. One identifier may have reactions in several
// stages; they run in stage order and the first non-zero result ends the step
// and is returned (a refusal restores the old value itself).
enum ReactionStage : int {
  kStageValues = 0,  // dependent values, enabled states, catalog-driven choices
  kStageSong = 1,    // fitting the song into its time, re-rendering
  kStageDevice = 2,  // sending the change to the sound module
};
using ReactionFn = int (*)(ControlId id, int32_t old_value);
void RegisterReaction(ControlId id, ReactionFn fn, int stage = kStageValues);
int RunReaction(ControlId id, int32_t old_value);

// ---- initialisation and shut-down steps -------------------------------------
// Steps of QM3MiddleInit owned by other parts (voice tables, catalogs, audio
// device) and of End (process 18). A non-zero result of an init step is the
// init's result.
enum InitStep : int {
  kInitVoiceTables = 4,  // first call only
  kInitCatalogs = 5,     // first call only; failure is not counted
  kInitAudio = 9,        // every call, when the module was found
};
using StepFn = int (*)();
void RegisterInitStep(int step, StepFn fn);
int RunInitSteps(int step);
void RegisterShutdownStep(StepFn fn);
void RunShutdownSteps();

// ---- shared middleware globals ---------------------------------------------
// The host program's directory (content lives here), with a trailing '/'.
const std::string& HostDirectory();
void SetHostDirectory(const std::string& dir);
// The writable work folder for render and capture files, with a trailing '/'.
const std::string& WorkDirectory();

struct ProcessRegistrar {
  ProcessRegistrar(int number, ProcessFn fn) { RegisterProcess(number, fn); }
};
struct ReactionRegistrar {
  ReactionRegistrar(ControlId id, ReactionFn fn, int stage = kStageValues) {
    RegisterReaction(id, fn, stage);
  }
};
struct InitStepRegistrar {
  InitStepRegistrar(int step, StepFn fn) { RegisterInitStep(step, fn); }
};
struct ShutdownStepRegistrar {
  explicit ShutdownStepRegistrar(StepFn fn) { RegisterShutdownStep(fn); }
};

}  // namespace qm3

#define QM3_CONCAT2(a, b) a##b
#define QM3_CONCAT(a, b) QM3_CONCAT2(a, b)
// Registers `fn` as process `number` when the library loads.
#define QM3_PROCESS(number, fn) \
  static ::qm3::ProcessRegistrar QM3_CONCAT(qm3_process_, __LINE__)(number, fn)
// Registers `fn` as the reaction to writes of `id` when the library loads;
// an optional third argument names the stage (default kStageValues).
#define QM3_REACTION(id, ...) \
  static ::qm3::ReactionRegistrar QM3_CONCAT(qm3_reaction_, __LINE__)(id, __VA_ARGS__)
#define QM3_INIT_STEP(step, fn) \
  static ::qm3::InitStepRegistrar QM3_CONCAT(qm3_init_step_, __LINE__)(step, fn)
#define QM3_SHUTDOWN_STEP(fn) \
  static ::qm3::ShutdownStepRegistrar QM3_CONCAT(qm3_shutdown_step_, __LINE__)(fn)
