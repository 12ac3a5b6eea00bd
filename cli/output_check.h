// Files the command line is asked to write are checked before any long work:
// the folder must exist and be writable, the name must not be a folder. A
// song file to read must be a regular file (a FIFO would block, a device
// never end).
//
// Thread rules: main thread (prints to stderr).
#pragma once
#include <string>

namespace sonavex::cli {

// The reason `path` cannot be written, or "" when it can.
std::string OutputFileProblem(const std::string& path);

// Prints "error: OPTION PATH: reason" and returns false when it cannot.
bool CheckOutputFile(const std::string& option, const std::string& path);

// Prints "error: PATH: reason" and returns false when `path` is there but
// is not a regular file; a missing file is left to the middleware's message.
bool CheckSongFile(const std::string& path);

}  // namespace sonavex::cli
