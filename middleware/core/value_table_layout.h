// The shape of the value table: directories of every group and the default
// records, built once from the table of defaults.
//
// Thread rules: built on first use (a function-local static), read-only after.
#pragma once
#include <cstdint>

#include "core/value_table.h"

namespace qm3 {

struct DirectoryEntry {
  enum Kind : uint8_t { kEmpty, kRecord, kHandler, kAlias } kind = kEmpty;
  int32_t ref = 0;  // record slot (kRecord, kHandler) or target identifier (kAlias)
};

constexpr int kLargestDirectory = 68;

struct GroupDirectory {
  int size = 0;  // 0: the group has no directory
  DirectoryEntry entries[kLargestDirectory];
};

struct TableLayout {
  GroupDirectory directories[256];
  TableImage defaults;
  int mode_bank_first = 0;
  int range_first = 0;
  int records_used = 0;
};

const TableLayout& Layout();

}  // namespace qm3
