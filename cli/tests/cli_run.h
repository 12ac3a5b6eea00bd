// Runs sonavex-cli as a user would: its own process, a working folder, the
// arguments as exact bytes, stdout and stderr captured apart, standard input
// empty (never a terminal).
#pragma once
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace sonavex::cli::test {

struct CliResult {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// `env` entries ("NAME=value") are set on top of the inherited environment;
// "NAME=" with nothing after it removes the variable.
CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                 const std::vector<std::string>& env = {});
// The same with another copy of the program (see CopyHostFolder).
CliResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::filesystem::path& cwd);

// Another host folder at `to`: the program beside its content library and
// its sound module's styles, copied (not the work folders). Returns the
// copied program.
std::filesystem::path CopyHostFolder(const std::filesystem::path& to);

// A fresh folder under the temporary folder, removed on destruction.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag);
  ~ScratchFolder();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// True when the content library was built beside the program.
bool ContentBuilt();

}  // namespace sonavex::cli::test
