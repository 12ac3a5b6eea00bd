// The perform script reader on arbitrary bytes: it either refuses with a
// line-numbered message or returns presses in order, starting at measure 1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "perform_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const sonavex::cli::ScriptResult r = sonavex::cli::ParseScript(text);
  if (r.error.empty()) {
    if (r.presses.empty() || r.presses.front().measure != 1) std::abort();
    for (size_t i = 1; i < r.presses.size(); ++i) {
      if (r.presses[i].measure < r.presses[i - 1].measure) std::abort();
      if (r.presses[i].line <= r.presses[i - 1].line) std::abort();
    }
  } else if (!r.presses.empty()) {
    std::abort();
  }
  return 0;
}
