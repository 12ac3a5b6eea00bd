// The running program's own folder, symbolic links resolved: where a program
// finds the files installed beside it (content, style bank, driver, help).
//
// Thread rules: any thread; reads /proc and allocates.
#pragma once
#include <string>

namespace platform {

// Without a trailing slash; empty when the system does not say.
std::string ProgramFolder();

}  // namespace platform
