// Process, reaction and init-step registries. They belong to the middleware
// instance and are filled from the one list in registration.cpp when the
// instance is made.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/registration.h"
#include "core/value_table.h"

namespace qm3 {
namespace {

constexpr int kProcessCount = 64;

struct Reaction {
  ReactionFn fn;
  const char* part;  // the registering part, for the listing
};

}  // namespace

struct Registry {
  std::array<ProcessFn, kProcessCount> processes{};
  // Per identifier, reactions ordered by stage.
  std::map<ControlId, std::multimap<int, Reaction>> reactions;
  std::map<ControlId, ReadHookFn> read_hooks;
  std::map<int, std::vector<StepFn>> init_steps;
  std::vector<StepFn> shutdown_steps;
  const char* registering = "";  // the part whose Register function runs
};

PartState<Registry> MakeRegistry() {
  return MakePartState<Registry>();
}

namespace {

Registry& R() {
  return *TheMiddleware().registry;
}
std::array<ProcessFn, kProcessCount>& Processes() {
  return R().processes;
}
std::map<ControlId, std::multimap<int, Reaction>>& Reactions() {
  return R().reactions;
}
std::map<ControlId, ReadHookFn>& ReadHooks() {
  return R().read_hooks;
}
std::map<int, std::vector<StepFn>>& InitSteps() {
  return R().init_steps;
}
std::vector<StepFn>& ShutdownSteps() {
  return R().shutdown_steps;
}

const char* StageName(int stage) {
  switch (stage) {
    case kStageValues:
      return "values";
    case kStageSong:
      return "song";
    case kStageDevice:
      return "device";
    default:
      return "?";
  }
}

}  // namespace

void SetRegisteringPart(const char* part) {
  R().registering = part;
}

std::vector<std::string> ListReactions(ControlId id) {
  std::vector<std::string> lines;
  auto it = Reactions().find(id & 0xFFFF);
  if (it == Reactions().end()) return lines;
  for (const auto& [stage, reaction] : it->second) {
    lines.push_back(std::string(StageName(stage)) + ": " + reaction.part);
  }
  return lines;
}

ProcessFn RegisterProcess(int number, ProcessFn fn) {
  if (number < 0 || number >= kProcessCount) return nullptr;
  const ProcessFn previous = Processes()[number];
  Processes()[number] = fn;
  return previous;
}

Rc RunProcess(int number, long* a, long* b) {
  if (number < 0 || number >= kProcessCount || Processes()[number] == nullptr) return kRcOk;
  long dummy_a = 0;
  long dummy_b = 0;
  return Processes()[number](a != nullptr ? a : &dummy_a, b != nullptr ? b : &dummy_b);
}

void RegisterReaction(ControlId id, ReactionFn fn, int stage) {
  if (fn != nullptr) Reactions()[id & 0xFFFF].emplace(stage, Reaction{fn, R().registering});
}

Rc RunReaction(ControlId id, int32_t old_value) {
  // Reactions registered for the written identifier; when it has none, those
  // of its alias target, and so on down the chain.
  constexpr int kMaxChain = 8;
  auto it = Reactions().end();
  ControlId link = id & 0xFFFF;
  for (int depth = 0; link != 0 && depth < kMaxChain; ++depth, link = AliasTarget(link)) {
    it = Reactions().find(link);
    if (it != Reactions().end()) break;
  }
  if (it == Reactions().end()) return kRcOk;
  for (const auto& [stage, reaction] : it->second) {
    if (Rc rc = reaction.fn(id, old_value); rc != kRcOk) return rc;
  }
  return kRcOk;
}

void RegisterReadHook(ControlId id, ReadHookFn fn) {
  if (fn != nullptr) ReadHooks()[id & 0xFFFF] = fn;
}

Rc RunReadHook(ControlId id) {
  auto it = ReadHooks().find(id & 0xFFFF);
  return it == ReadHooks().end() ? kRcOk : it->second(id);
}

void RegisterInitStep(int step, StepFn fn) {
  if (fn != nullptr) InitSteps()[step].push_back(fn);
}

Rc RunInitSteps(int step) {
  auto it = InitSteps().find(step);
  if (it == InitSteps().end()) return kRcOk;
  for (StepFn fn : it->second) {
    if (Rc rc = fn(); rc != kRcOk) return rc;
  }
  return kRcOk;
}

void RegisterShutdownStep(StepFn fn) {
  if (fn != nullptr) ShutdownSteps().push_back(fn);
}

void RunShutdownSteps() {
  for (auto it = ShutdownSteps().rbegin(); it != ShutdownSteps().rend(); ++it) (*it)();
}

}  // namespace qm3
