// Process, reaction and init-step registries. Parts register at library load
// time, so the tables are function-local statics (safe against the order of
// static initialisation).
#include <array>
#include <map>
#include <vector>

#include "core/middle_internal.h"
#include "core/value_table.h"

namespace qm3 {
namespace {

constexpr int kProcessCount = 64;

std::array<ProcessFn, kProcessCount>& Processes() {
  static std::array<ProcessFn, kProcessCount> table{};
  return table;
}

// Per identifier, reactions ordered by stage.
std::map<ControlId, std::multimap<int, ReactionFn>>& Reactions() {
  static std::map<ControlId, std::multimap<int, ReactionFn>> table;
  return table;
}

std::map<ControlId, ReadHookFn>& ReadHooks() {
  static std::map<ControlId, ReadHookFn> hooks;
  return hooks;
}

std::map<int, std::vector<StepFn>>& InitSteps() {
  static std::map<int, std::vector<StepFn>> steps;
  return steps;
}

std::vector<StepFn>& ShutdownSteps() {
  static std::vector<StepFn> steps;
  return steps;
}

}  // namespace

ProcessFn RegisterProcess(int number, ProcessFn fn) {
  if (number < 0 || number >= kProcessCount) return nullptr;
  const ProcessFn previous = Processes()[number];
  Processes()[number] = fn;
  return previous;
}

int RunProcess(int number, long* a, long* b) {
  if (number < 0 || number >= kProcessCount || Processes()[number] == nullptr) return 0;
  long dummy_a = 0;
  long dummy_b = 0;
  return Processes()[number](a != nullptr ? a : &dummy_a, b != nullptr ? b : &dummy_b);
}

void RegisterReaction(ControlId id, ReactionFn fn, int stage) {
  if (fn != nullptr) Reactions()[id & 0xFFFF].emplace(stage, fn);
}

int RunReaction(ControlId id, int32_t old_value) {
  // Reactions registered for the written identifier; when it has none, those
  // of its alias target, and so on down the chain.
  constexpr int kMaxChain = 8;
  auto it = Reactions().end();
  ControlId link = id & 0xFFFF;
  for (int depth = 0; link != 0 && depth < kMaxChain; ++depth, link = AliasTarget(link)) {
    it = Reactions().find(link);
    if (it != Reactions().end()) break;
  }
  if (it == Reactions().end()) return 0;
  for (const auto& [stage, fn] : it->second) {
    if (int rc = fn(id, old_value); rc != 0) return rc;
  }
  return 0;
}

void RegisterReadHook(ControlId id, ReadHookFn fn) {
  if (fn != nullptr) ReadHooks()[id & 0xFFFF] = fn;
}

int RunReadHook(ControlId id) {
  auto it = ReadHooks().find(id & 0xFFFF);
  return it == ReadHooks().end() ? 0 : it->second(id);
}

void RegisterInitStep(int step, StepFn fn) {
  if (fn != nullptr) InitSteps()[step].push_back(fn);
}

int RunInitSteps(int step) {
  auto it = InitSteps().find(step);
  if (it == InitSteps().end()) return 0;
  for (StepFn fn : it->second) {
    if (int rc = fn(); rc != 0) return rc;
  }
  return 0;
}

void RegisterShutdownStep(StepFn fn) {
  if (fn != nullptr) ShutdownSteps().push_back(fn);
}

void RunShutdownSteps() {
  for (auto it = ShutdownSteps().rbegin(); it != ShutdownSteps().rend(); ++it) (*it)();
}

}  // namespace qm3
