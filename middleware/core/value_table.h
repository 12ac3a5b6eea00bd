// The value table behind every control identifier: records, the per-group
// directories (plain record, computed handler or alias), the mode bank and the
// undo snapshot storage. Only the middleware core uses this header directly;
// the rest of the middleware goes through middle_internal.h.
//
// Thread rules: not locked (as designed); host thread, or a device callback
// that owns the values it touches. Never allocates after load.
#pragma once
#include <cstdint>

#include "core/middle_internal.h"

namespace qm3 {

// Command codes of reads and writes (the notification kinds use the same
// numbers).
enum ValueCommand : int {
  kCmdValue = QM3_CMD_VALUE,
  kCmdRange = QM3_CMD_RANGE,
  kCmdAlive = QM3_CMD_ALIVE,
  kCmdRedraw = QM3_NOTIFY_REDRAW,
  kCmdWidth = QM3_CMD_WIDTH,
  kCmdText = QM3_CMD_TEXT,
  kCmdParser = QM3_CMD_PARSER,
  kCmdFormatter = QM3_CMD_FORMATTER,
};

struct ControlRecord {
  int32_t value = 0;
  int32_t min = 0;
  int32_t max = 0;
  int8_t alive = 1;
  int8_t width = 0;
};

// What one identifier resolves to after following aliases.
struct ResolvedControl {
  enum Kind : uint8_t { kNone, kEmpty, kRecord, kHandler } kind = kNone;
  int slot = -1;  // record slot for kRecord
  // kNone: the group has no directory; kEmpty: the entry holds nothing.
};

// True for the groups that have a directory (0x07 resolves as 0x05).
bool GroupHasDirectory(int group);

// Follows aliases (and the second name of group 0x05) to the entry.
ResolvedControl Resolve(ControlId id);

// The next identifier in the alias chain of `id`, or 0 when `id` is not an
// alias (0x07nn yields 0x05nn).
ControlId AliasTarget(ControlId id);

// Read with command 0, 1, 2 or 4 into *a (and *b for the range). Entries
// without a record leave *a and *b untouched. Returns 0.
int ReadCommand(ControlId id, int cmd, int32_t* a, int32_t* b);

// Outcome of a value write.
enum class WriteOutcome { kStored, kRefused, kNothing };

// Write with command 0 (value), 1 (range), 2 (alive) or 4 (width). A value
// outside min..max is refused: *a receives the violated bound. `old_value`
// receives the value replaced (value writes only).
WriteOutcome WriteCommand(ControlId id, int cmd, int32_t* a, int32_t b, int32_t* old_value);

// Text forms attached to the record of `id` (null when none).
FormatFn RecordFormatter(ControlId id);
ParseFn RecordParser(ControlId id);

// ---- the mode bank (play-time values / part play flags) ---------------------
constexpr int kModeBankSize = 17;
// Record of bank position `i` (0..16).
ControlRecord& ModeBankRecord(int i);

// ---- records without an identifier: the selected range -----------------------
enum RangeRecord : int { kRangeStartTicks = 0, kRangeEndTicks, kRangeStartTime, kRangeEndTime };
ControlRecord& RangeRecordAt(int which);

// ---- whole-table operations (undo, reset) --------------------------------------
constexpr int kRecordCount = 163;
struct TableImage {
  ControlRecord records[kRecordCount];
};
TableImage& LiveTable();
// Restores every record (not the attached text forms) to its default.
void LoadTableDefaults(TableImage& table);

}  // namespace qm3
