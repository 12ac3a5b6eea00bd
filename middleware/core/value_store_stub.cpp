// Placeholder value store so that parts can build and link before the value
// table lands. Replaced by the real table (directories, aliases, defaults).
#include <map>

#include "core/middle_internal.h"

namespace qm3 {

namespace {

struct Record {
  int32_t value = 0;
  int32_t min = INT32_MIN;
  int32_t max = INT32_MAX;
  bool alive = true;
};

std::map<ControlId, Record>& Store() {
  static std::map<ControlId, Record> store;
  return store;
}

std::string& HostDir() {
  static std::string dir;
  return dir;
}

}  // namespace

int32_t ReadValue(ControlId id) {
  return Store()[id & 0xFFFF].value;
}

bool ReadRange(ControlId id, int32_t* min, int32_t* max) {
  const Record& r = Store()[id & 0xFFFF];
  if (min) *min = r.min;
  if (max) *max = r.max;
  return true;
}

bool ReadAlive(ControlId id) {
  return Store()[id & 0xFFFF].alive;
}

int WriteValue(ControlId id, int32_t value, bool react) {
  Record& r = Store()[id & 0xFFFF];
  if (value < r.min || value > r.max) return 0;
  const int32_t old = r.value;
  r.value = value;
  return react ? RunReaction(id, old) : 0;
}

int WriteRange(ControlId id, int32_t min, int32_t max) {
  Record& r = Store()[id & 0xFFFF];
  r.min = min;
  r.max = max;
  return 0;
}

int WriteAlive(ControlId id, bool alive) {
  Store()[id & 0xFFFF].alive = alive;
  return 0;
}

void Notify(ControlId, int) {}

const std::string& HostDirectory() {
  return HostDir();
}
void SetHostDirectory(const std::string& dir) {
  HostDir() = dir;
}
const std::string& WorkDirectory() {
  return HostDir();
}

}  // namespace qm3
