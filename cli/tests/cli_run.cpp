#include "cli_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace sonavex::cli::test {

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

fs::path UniqueFile() {
  std::string name = (fs::temp_directory_path() / "sonavex-cli-run-XXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd >= 0) ::close(fd);
  return name;
}

CliResult RunWith(const fs::path& program_path, const std::vector<std::string>& args,
                  const fs::path& cwd, const std::vector<std::string>& env) {
  // Captured outside the working folder, which tests inspect.
  const fs::path out = UniqueFile();
  const fs::path err = UniqueFile();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    for (const std::string& e : env) {
      const size_t eq = e.find('=');
      if (eq == e.size() - 1) {
        ::unsetenv(e.substr(0, eq).c_str());
      } else {
        ::setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
      }
    }
    // Never a terminal on standard input: nothing waits for keys.
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen(out.c_str(), "w", stdout) ||
        !std::freopen(err.c_str(), "w", stderr)) {
      ::_exit(127);
    }
    std::vector<char*> argv;
    std::string program = program_path.string();
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  CliResult r;
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    r.status = WEXITSTATUS(status);
  }
  r.out = Slurp(out);
  r.err = Slurp(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const fs::path& cwd,
                 const std::vector<std::string>& env) {
  return RunWith(SONAVEX_CLI, args, cwd, env);
}

CliResult RunProgram(const fs::path& program, const std::vector<std::string>& args,
                     const fs::path& cwd) {
  return RunWith(program, args, cwd, {});
}

fs::path CopyHostFolder(const fs::path& to) {
  const fs::path from = fs::path(SONAVEX_CLI).parent_path();
  fs::create_directories(to);
  for (const auto& entry : fs::directory_iterator(from)) {
    const fs::path name = entry.path().filename();
    if (entry.is_regular_file()) {
      fs::copy_file(entry.path(), to / name);
    } else if (entry.is_directory() && name.string().rfind("work", 0) != 0) {
      fs::copy(entry.path(), to / name, fs::copy_options::recursive);
    }
  }
  return to / fs::path(SONAVEX_CLI).filename();
}

ScratchFolder::ScratchFolder(const std::string& tag)
    : path_(fs::temp_directory_path() / ("sonavex-cli-" + tag + "-" + std::to_string(::getpid()))) {
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

bool ContentBuilt() {
  return fs::exists(fs::path(SONAVEX_CLI).parent_path() / "QM3RHY.toc");
}

int RunCliLine(const std::string& args) {
  const std::string cmd = std::string(SONAVEX_CLI) + " " + args + " > /dev/null 2>&1";
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

void ContentFolderTest::SetUp() {
  if (!ContentBuilt()) GTEST_SKIP() << "no content library beside " << SONAVEX_CLI;
  folder_.emplace(::testing::UnitTest::GetInstance()->current_test_suite()->name());
  dir_ = folder_->path();
}

void ContentFolderTest::TearDown() {
  folder_.reset();
  dir_.clear();
}

}  // namespace sonavex::cli::test
