// Process and reaction registries. Parts register at library load time, so
// the tables are function-local statics (safe against initialisation order).
#include <array>
#include <map>

#include "core/middle_internal.h"

namespace qm3 {
namespace {

constexpr int kProcessCount = 64;

std::array<ProcessFn, kProcessCount>& Processes() {
  static std::array<ProcessFn, kProcessCount> table{};
  return table;
}

std::map<ControlId, ReactionFn>& Reactions() {
  static std::map<ControlId, ReactionFn> table;
  return table;
}

}  // namespace

void RegisterProcess(int number, ProcessFn fn) {
  if (number >= 0 && number < kProcessCount) Processes()[number] = fn;
}

int RunProcess(int number, long* a, long* b) {
  if (number < 0 || number >= kProcessCount || Processes()[number] == nullptr) return 0;
  long dummy_a = 0;
  long dummy_b = 0;
  return Processes()[number](a != nullptr ? a : &dummy_a, b != nullptr ? b : &dummy_b);
}

void RegisterReaction(ControlId id, ReactionFn fn) {
  Reactions()[id & 0xFFFF] = fn;
}

// Called by the write path; 0 when no reaction is registered.
int RunReaction(ControlId id, int32_t old_value) {
  auto it = Reactions().find(id & 0xFFFF);
  return it == Reactions().end() ? 0 : it->second(id, old_value);
}

}  // namespace qm3
