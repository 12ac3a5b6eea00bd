// The README's command-line section tells the truth: its examples run, and
// the help it shows for each command is what the program prints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli_run.h"
#include "platform/system_audio.h"

namespace sonavex::cli::test {
namespace {

namespace fs = std::filesystem;

std::string Readme() {
  std::ifstream in(SONAVEX_README, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The commands of the first shell block after the command-line heading, with
// continued lines joined.
std::vector<std::string> Examples(const std::string& readme) {
  const size_t section = readme.find("## The command line");
  const size_t open = readme.find("```sh\n", section);
  const size_t close = readme.find("```", open + 6);
  std::vector<std::string> commands;
  if (section == std::string::npos || open == std::string::npos || close == std::string::npos) {
    return commands;
  }
  std::istringstream in(readme.substr(open + 6, close - open - 6));
  std::string pending;
  for (std::string line; std::getline(in, line);) {
    const bool continued = !line.empty() && line.back() == '\\';
    pending += continued ? line.substr(0, line.size() - 1) : line;
    if (!continued) {
      commands.push_back(pending);
      pending.clear();
    }
  }
  return commands;
}

// Runs one example through the shell in `dir`, with the built program in
// place of build/data/sonavex-cli; returns the exit status and stderr.
std::pair<int, std::string> RunExample(std::string command, const fs::path& dir) {
  const std::string from = "build/data/sonavex-cli";
  for (size_t at = command.find(from); at != std::string::npos; at = command.find(from, at)) {
    command.replace(at, from.size(), SONAVEX_CLI);
    at += std::string(SONAVEX_CLI).size();
  }
  const fs::path err = dir / ".stderr";
  // A new line closes the group, so a trailing comment stays a comment.
  const std::string line =
      "cd '" + dir.string() + "' && { " + command + "\n} > /dev/null 2> '" + err.string() + "'";
  const int status = std::system(line.c_str());
  std::ifstream in(err);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove(err);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

TEST(ReadmeTest, ExamplesRun) {
  if (!ContentBuilt()) GTEST_SKIP() << "no content library beside " << SONAVEX_CLI;
  const std::vector<std::string> examples = Examples(Readme());
  ASSERT_GE(examples.size(), 8u);
  ScratchFolder folder("readme");
  const bool audio = platform::SystemAudioAvailable();
  for (const std::string& example : examples) {
    if (example.find("sonavex-cli play") != std::string::npos) {
      if (audio) continue;  // it would play for the whole song
      const auto [status, err] = RunExample(example, folder.path());
      EXPECT_EQ(status, 1) << example;
      EXPECT_EQ(err, "error: no sound card found; use --port or convert --wav\n");
      continue;
    }
    const auto [status, err] = RunExample(example, folder.path());
    EXPECT_EQ(status, 0) << example << "\n" << err;
  }
  EXPECT_TRUE(fs::exists(folder.path() / "scene.wav"));
  EXPECT_TRUE(fs::exists(folder.path() / "日本語" / "café.wav"));
}

TEST(ReadmeTest, HelpOfEveryCommandIsInTheReadme) {
  const std::string readme = Readme();
  const fs::path here = fs::temp_directory_path();
  const CliResult main_help = RunCli({"help"}, here);
  ASSERT_EQ(main_help.status, 0);
  EXPECT_NE(readme.find("```text\n" + main_help.out + "```"), std::string::npos)
      << "README.md should show `sonavex-cli help`:\n"
      << main_help.out;
  // Every command the program lists, in its "Subcommands:" part.
  const size_t list = main_help.out.find("Subcommands:\n");
  ASSERT_NE(list, std::string::npos);
  std::istringstream in(main_help.out.substr(list + 13));
  int commands = 0;
  for (std::string line; std::getline(in, line) && line.rfind("  ", 0) == 0;) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "help") continue;
    ++commands;
    const CliResult help = RunCli({command, "--help"}, here);
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(readme.find("```text\n" + help.out + "```"), std::string::npos)
        << "README.md should show `sonavex-cli " << command << " --help`:\n"
        << help.out;
  }
  EXPECT_GE(commands, 4);
}

}  // namespace
}  // namespace sonavex::cli::test
