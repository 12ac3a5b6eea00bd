// Opening a document with the desktop's opener, like a shell "open": the
// program named by SONAVEX_OPENER, else xdg-open, is started with the path
// and left running on its own.
//
// Thread rules: any thread; never waits for the opener.
#pragma once
#include <string>

namespace platform {

// true when the opener was started (not whether it managed to open the path).
bool ShellOpen(const std::string& path);

}  // namespace platform
