// Findings of the content linter: each names the file it concerns.
// Plain value type; no locking, no threads.
#pragma once

#include <string>
#include <vector>

namespace content {

struct LintReport {
  std::vector<std::string> errors;
  void Error(const std::string& file, const std::string& what) {
    errors.push_back(file + ": " + what);
  }
  bool ok() const { return errors.empty(); }
};

}  // namespace content
