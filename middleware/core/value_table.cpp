// Storage and access of the value table: directories per group, alias
// resolution, the play-flag handler and the record operations.
#include "core/value_table.h"

#include <array>
#include <cassert>

#include "core/control_ids.h"
#include "core/device_handover.h"
#include "core/middleware.h"
#include "core/value_table_layout.h"

namespace qm3 {
namespace {

// Aliases never chain deeper than this; a longer chain is a table bug and
// resolves to nothing rather than looping.
constexpr int kMaxAliasDepth = 8;

struct TextForms {
  FormatFn formatter = nullptr;
  ParseFn parser = nullptr;
};

}  // namespace

struct ValueStore {
  TableImage live;
  // Attached by the parts' registration when the instance is made.
  std::array<TextForms, kRecordCount> forms{};
  ValueStore() { LoadTableDefaults(live); }
};

PartState<ValueStore> MakeValueStore() {
  return MakePartState<ValueStore>();
}

namespace {

ValueStore& TheStore() {
  return *TheMiddleware().values;
}

std::array<TextForms, kRecordCount>& Forms() {
  return TheStore().forms;
}

// The group whose directory serves `group` (0x07 is a second name of 0x05).
int DirectoryGroup(int group) {
  return group == kGroupSongEditSecond ? kGroupSongEdit : group;
}

const DirectoryEntry* EntryOf(ControlId id) {
  const TableLayout& layout = Layout();
  const int group = DirectoryGroup(GroupOf(id));
  const int index = IndexOf(id);
  const auto& dir = layout.directories[group];
  // An index past the directory's end is an empty entry.
  if (dir.size == 0 || index >= dir.size) return nullptr;
  return &dir.entries[index];
}

// The play button (0x0606): a write of any value toggles the play flag; every
// other command acts on the flag's record.
WriteOutcome PlayHandlerWrite(int slot, int cmd, int32_t* a, int32_t b, int32_t* old_value) {
  ControlRecord& r = LiveTable().records[slot];
  if (cmd == kCmdValue) {
    if (old_value != nullptr) *old_value = r.value;
    r.value = r.value != 0 ? 0 : 1;
    *a = r.value;
    return WriteOutcome::kStored;
  }
  (void)b;
  return WriteOutcome::kNothing;
}

}  // namespace

TableImage& LiveTable() {
  return TheStore().live;
}

bool GroupHasDirectory(int group) {
  if (group < 0 || group > 0xFF) return false;
  return Layout().directories[DirectoryGroup(group)].size > 0;
}

ControlId AliasTarget(ControlId id) {
  id &= 0xFFFF;
  if (GroupOf(id) == kGroupSongEditSecond) return (kGroupSongEdit << 8) | IndexOf(id);
  const DirectoryEntry* e = EntryOf(id);
  return (e != nullptr && e->kind == DirectoryEntry::kAlias) ? e->ref : 0;
}

ResolvedControl Resolve(ControlId id) {
  ResolvedControl out;
  id &= 0xFFFF;
  for (int depth = 0; depth < kMaxAliasDepth; ++depth) {
    if (!GroupHasDirectory(GroupOf(id))) return out;
    const DirectoryEntry* e = EntryOf(id);
    out.kind = ResolvedControl::kEmpty;
    if (e == nullptr || e->kind == DirectoryEntry::kEmpty) return out;
    if (e->kind == DirectoryEntry::kAlias) {
      id = e->ref;
      continue;
    }
    out.kind =
        e->kind == DirectoryEntry::kHandler ? ResolvedControl::kHandler : ResolvedControl::kRecord;
    out.slot = e->ref;
    return out;
  }
  out.kind = ResolvedControl::kEmpty;
  return out;
}

int ReadCommand(ControlId id, int cmd, int32_t* a, int32_t* b) {
  const ResolvedControl rc = Resolve(id);
  // The handler's reads act on the play flag's record.
  if (rc.kind != ResolvedControl::kRecord && rc.kind != ResolvedControl::kHandler) return 0;
  const ControlRecord& r = LiveTable().records[rc.slot];
  switch (cmd) {
    case kCmdValue:
      if (a) *a = r.value;
      break;
    case kCmdRange:
      if (a) *a = r.min;
      if (b) *b = r.max;
      break;
    case kCmdAlive:
      if (a) *a = r.alive;
      break;
    case kCmdWidth:
      if (a) *a = r.width;
      break;
    default:
      break;
  }
  return 0;
}

WriteOutcome WriteCommand(ControlId id, int cmd, int32_t* a, int32_t b, int32_t* old_value) {
  // The host thread owns the table; device threads post (device_handover.h).
  assert(!OnDeviceThread());
  const ResolvedControl rc = Resolve(id);
  if (rc.kind == ResolvedControl::kHandler && cmd == kCmdValue)
    return PlayHandlerWrite(rc.slot, cmd, a, b, old_value);
  if (rc.kind != ResolvedControl::kRecord && rc.kind != ResolvedControl::kHandler)
    return WriteOutcome::kNothing;
  ControlRecord& r = LiveTable().records[rc.slot];
  switch (cmd) {
    case kCmdValue:
      if (old_value != nullptr) *old_value = r.value;
      // Below min is checked first, so a record with min > max refuses all.
      if (*a < r.min) {
        *a = r.min;
        return WriteOutcome::kRefused;
      }
      if (*a > r.max) {
        *a = r.max;
        return WriteOutcome::kRefused;
      }
      r.value = *a;
      return WriteOutcome::kStored;
    case kCmdRange:
      r.min = *a;
      r.max = b;
      return WriteOutcome::kStored;
    case kCmdAlive:
      r.alive = static_cast<int8_t>(*a & 0xFF);
      return WriteOutcome::kStored;
    case kCmdWidth:
      r.width = static_cast<int8_t>(*a);
      return WriteOutcome::kStored;
    default:
      return WriteOutcome::kNothing;
  }
}

FormatFn RecordFormatter(ControlId id) {
  const ResolvedControl rc = Resolve(id);
  return rc.kind == ResolvedControl::kRecord ? Forms()[rc.slot].formatter : nullptr;
}

ParseFn RecordParser(ControlId id) {
  const ResolvedControl rc = Resolve(id);
  return rc.kind == ResolvedControl::kRecord ? Forms()[rc.slot].parser : nullptr;
}

void AttachTextForms(ControlId id, FormatFn formatter, ParseFn parser) {
  const ResolvedControl rc = Resolve(id);
  if (rc.kind != ResolvedControl::kRecord) return;
  Forms()[rc.slot] = TextForms{formatter, parser};
}

ControlRecord& ModeBankRecord(int i) {
  return LiveTable().records[Layout().mode_bank_first + (i < 0 ? 0 : i % kModeBankSize)];
}

ControlRecord& RangeRecordAt(int which) {
  return LiveTable().records[Layout().range_first + (which & 3)];
}

void LoadTableDefaults(TableImage& table) {
  table = Layout().defaults;
}

// ---- the public convenience forms ----------------------------------------------

int32_t ReadValue(ControlId id) {
  int32_t v = 0;
  ReadCommand(id, kCmdValue, &v, nullptr);
  return v;
}

bool ReadRange(ControlId id, int32_t* min, int32_t* max) {
  const ResolvedControl rc = Resolve(id);
  if (rc.kind != ResolvedControl::kRecord && rc.kind != ResolvedControl::kHandler) return false;
  ReadCommand(id, kCmdRange, min, max);
  return true;
}

bool InRange(ControlId id, int64_t value) {
  int32_t min = 0;
  int32_t max = 0;
  return ReadRange(id, &min, &max) && value >= min && value <= max;
}

bool ReadAlive(ControlId id) {
  int32_t v = 0;
  ReadCommand(id, kCmdAlive, &v, nullptr);
  return v != 0;
}

int32_t ReadWidth(ControlId id) {
  int32_t v = 0;
  ReadCommand(id, kCmdWidth, &v, nullptr);
  return v;
}

Rc WriteValue(ControlId id, int32_t value, bool react) {
  int32_t old_value = 0;
  if (WriteCommand(id, kCmdValue, &value, 0, &old_value) != WriteOutcome::kStored) return kRcOk;
  return react ? RunReaction(id, old_value) : kRcOk;
}

Rc WriteRange(ControlId id, int32_t min, int32_t max) {
  WriteCommand(id, kCmdRange, &min, max, nullptr);
  return kRcOk;
}

Rc WriteAlive(ControlId id, bool alive) {
  int32_t v = alive ? 1 : 0;
  WriteCommand(id, kCmdAlive, &v, 0, nullptr);
  return kRcOk;
}

Rc WriteWidth(ControlId id, int32_t width) {
  WriteCommand(id, kCmdWidth, &width, 0, nullptr);
  return kRcOk;
}

}  // namespace qm3
