// Replacing a set of installed files as one step: every new file is first
// copied beside the file it replaces under a temporary name; only when all
// copies are complete are they renamed into place, and a rename that fails
// puts back the files already replaced. A running program keeps the file it
// mapped, and a new start sees either all old or all new files (never half a
// program and half a library), barring a crash between two renames.
//
// Thread rules: plain functions; they block on file I/O.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace sonavex::install {

struct Replacement {
  std::filesystem::path source;
  std::filesystem::path destination;  // need not exist yet
};

struct ReplaceOptions {
  // The rename step (a stand-in lets tests fail one rename).
  std::function<int(const char* from, const char* to)> rename;
};

// true when every destination now holds its source's bytes; otherwise no
// destination changed and `error` says what failed.
bool ReplaceFiles(const std::vector<Replacement>& files, std::string& error,
                  const ReplaceOptions& options = {});

}  // namespace sonavex::install
