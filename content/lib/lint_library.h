// Lints a whole generated content library folder: catalogs against files,
// every phrase file, the fixed source files and every style of the bank.
// Reads files; no locking, no threads.
#pragma once

#include <string>

#include "lint_report.h"

namespace content {

enum class LibrarySize {
  kAnySize,  // structure and music only
  kShipped,  // also the shipped library's breadth (groups, rhythms, melody numbers)
};

LintReport LintLibrary(const std::string& data_dir, LibrarySize size);

}  // namespace content
