// Runs sonavex-cli as a user would: its own process, a working folder, the
// arguments as exact bytes, stdout and stderr captured apart, standard input
// empty (never a terminal). Also the set-up the end-to-end suites share: a
// fresh folder per test, skipped where the content library was not built.
//
// Thread rules: test-thread only; RunCli waits for the child process.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
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

// The arguments as one shell command line (quoted where a word needs it),
// the program's output dropped: its exit status, -1 when it did not exit
// normally.
int RunCliLine(const std::string& args);

// The whole file, empty when it cannot be read.
std::vector<uint8_t> ReadFile(const std::filesystem::path& p);

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

// A test that composes and converts: skipped without the content library,
// given a fresh folder (named after its suite) for the files it writes.
class ContentFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A file of the folder, as a command-line argument.
  std::string P(const std::string& name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;

 private:
  std::optional<ScratchFolder> folder_;
};

}  // namespace sonavex::cli::test
