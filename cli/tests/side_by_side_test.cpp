// Several command-line processes at once, as a user with more than one job
// runs them: conversions in one host folder and in others, SMF and WAV
// mixed, and a real-time play beside a conversion. Each must finish within
// its time limit and write exactly what it writes when run alone.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli_run.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kTimeLimit = std::chrono::seconds(240);

std::vector<char> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A started command-line process; its output goes to a log file.
struct Job {
  pid_t pid = -1;
  std::string what;
};

// Starts `program` with `args`, stdout to `log`; stderr to the same log, or
// to `stderr_fd` when one is given (it is closed in the child).
Job Start(const fs::path& program, const std::vector<std::string>& args, const fs::path& log,
          int stderr_fd = -1) {
  std::vector<std::string> all = {program.string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (stderr_fd < 0) {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else {
    posix_spawn_file_actions_adddup2(&actions, stderr_fd, 2);
    posix_spawn_file_actions_addclose(&actions, stderr_fd);
  }
  Job job;
  job.what = program.string();
  for (size_t i = 1; i < all.size(); ++i) job.what += " " + all[i];
  if (posix_spawn(&job.pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    job.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return job;
}

// Starts a job whose stderr comes back through `*err_pipe` (read end),
// stdout to `log`.
Job StartPiped(const fs::path& program, const std::vector<std::string>& args, const fs::path& log,
               int* err_pipe) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return Job{};
  Job job = Start(program, args, log, fds[1]);
  ::close(fds[1]);
  *err_pipe = fds[0];
  return job;
}

// Reads `fd` into `*text` until a line starting with `prefix` has come or
// the stream ends (true: the line came).
bool ReadUntilLine(int fd, const std::string& prefix, std::string* text) {
  for (;;) {
    for (size_t at = 0; at < text->size();) {
      const size_t end = text->find('\n', at);
      if (end == std::string::npos) break;
      if (text->compare(at, prefix.size(), prefix) == 0) return true;
      at = end + 1;
    }
    char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text->append(buffer, static_cast<size_t>(n));
  }
}

// Waits for every job until the time limit; a job still running then is
// killed and reported. Returns the exit codes (-1: killed or failed).
std::vector<int> WaitAll(std::vector<Job>& jobs) {
  std::vector<int> codes(jobs.size(), -1);
  std::vector<bool> done(jobs.size(), false);
  const auto deadline = Clock::now() + kTimeLimit;
  for (size_t left = jobs.size(); left > 0;) {
    for (size_t i = 0; i < jobs.size(); ++i) {
      if (done[i]) continue;
      int status = 0;
      if (jobs[i].pid < 0 || waitpid(jobs[i].pid, &status, WNOHANG) == jobs[i].pid) {
        done[i] = true;
        --left;
        if (jobs[i].pid >= 0 && WIFEXITED(status)) codes[i] = WEXITSTATUS(status);
      }
    }
    if (left == 0) break;
    if (Clock::now() > deadline) {
      for (size_t i = 0; i < jobs.size(); ++i) {
        if (done[i]) continue;
        ADD_FAILURE() << "still running after the time limit: " << jobs[i].what;
        kill(jobs[i].pid, SIGKILL);
        waitpid(jobs[i].pid, nullptr, 0);
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return codes;
}

class SideBySide : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = fs::path(SONAVEX_CLI).parent_path();
    if (!fs::exists(data_ / "QM3RHY.toc")) GTEST_SKIP() << "no content library in " << data_;
    dir_ = fs::temp_directory_path() / ("sonavex-side-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  // Another host folder: the program, its content library and styles.
  fs::path CopyHost(const std::string& name) {
    return sonavex::cli::test::CopyHostFolder(dir_ / name);
  }

  int RunAlone(const fs::path& program, const std::vector<std::string>& args,
               const std::string& log) {
    std::vector<Job> jobs = {Start(program, args, dir_ / log)};
    return WaitAll(jobs)[0];
  }

  void Compose(const fs::path& song, const std::vector<std::string>& options) {
    std::vector<std::string> args = {"compose", "-o", song.string()};
    args.insert(args.end(), options.begin(), options.end());
    ASSERT_EQ(RunAlone(SONAVEX_CLI, args, "compose.log"), 0) << song;
  }

  fs::path data_;
  fs::path dir_;
};

TEST_F(SideBySide, FourConversionsAtOnceWriteWhatEachWritesAlone) {
  const fs::path a = dir_ / "a.bgm";
  const fs::path b = dir_ / "b.bgm";
  ASSERT_NO_FATAL_FAILURE(Compose(a, {"--duration", "20"}));
  ASSERT_NO_FATAL_FAILURE(Compose(b, {"--duration", "16", "--rhythm", "2", "--mood", "dark"}));
  const fs::path other_host = CopyHost("host2");
  const fs::path third_host = CopyHost("host3");

  struct Conversion {
    fs::path program;
    fs::path song;
    std::string kind;  // --smf or --wav
    std::string name;
  };
  const std::vector<Conversion> conversions = {
      {SONAVEX_CLI, a, "--smf", "a.mid"},
      {SONAVEX_CLI, b, "--wav", "b.wav"},
      {other_host, b, "--smf", "b.mid"},
      {third_host, a, "--wav", "a.wav"},
  };
  for (const Conversion& c : conversions) {
    ASSERT_EQ(RunAlone(c.program,
                       {"convert", c.song.string(), c.kind, (dir_ / ("alone-" + c.name)).string()},
                       "alone.log"),
              0)
        << c.name;
  }
  std::vector<Job> jobs;
  for (const Conversion& c : conversions) {
    jobs.push_back(Start(
        c.program, {"convert", c.song.string(), c.kind, (dir_ / ("together-" + c.name)).string()},
        dir_ / ("together-" + c.name + ".log")));
  }
  const std::vector<int> codes = WaitAll(jobs);
  for (size_t i = 0; i < conversions.size(); ++i) {
    const std::string& name = conversions[i].name;
    EXPECT_EQ(codes[i], 0) << jobs[i].what;
    const auto alone = ReadBytes(dir_ / ("alone-" + name));
    EXPECT_FALSE(alone.empty()) << name;
    EXPECT_TRUE(alone == ReadBytes(dir_ / ("together-" + name))) << name << " differs";
  }
}

TEST_F(SideBySide, PlayOnTheRealClockBesideAConversionBothFinish) {
  const fs::path song = dir_ / "short.bgm";
  ASSERT_NO_FATAL_FAILURE(Compose(song, {"--duration", "10"}));
  ASSERT_EQ(
      RunAlone(SONAVEX_CLI, {"convert", song.string(), "--smf", (dir_ / "alone.mid").string()},
               "alone.log"),
      0);
  std::vector<Job> jobs = {
      // The module's port without the sound card: the song in real time.
      Start(SONAVEX_CLI, {"play", "--port", "0", song.string()}, dir_ / "play.log"),
      Start(SONAVEX_CLI, {"convert", song.string(), "--smf", (dir_ / "together.mid").string()},
            dir_ / "convert.log"),
  };
  const auto started = Clock::now();
  const std::vector<int> codes = WaitAll(jobs);
  EXPECT_EQ(codes[0], 0) << "play";
  EXPECT_EQ(codes[1], 0) << "convert";
  EXPECT_GE(Clock::now() - started, std::chrono::seconds(10));  // it really played
  EXPECT_TRUE(ReadBytes(dir_ / "alone.mid") == ReadBytes(dir_ / "together.mid"));
}

// Ctrl+C in the middle of a WAV export: exit 130, the earlier file at the
// target as it was, no temporary or spool file anywhere, the work folder
// given back empty. The signal goes once the export reports its first
// quarter, so it is known to be writing and far from done.
TEST_F(SideBySide, InterruptedConversionCancelsCleanly) {
  const fs::path program = CopyHost("host");
  const fs::path song = dir_ / "long.bgm";
  ASSERT_NO_FATAL_FAILURE(Compose(song, {"--duration", "600"}));
  const fs::path out = dir_ / "out.wav";
  const std::string earlier = "the earlier export";
  std::ofstream(out, std::ios::binary) << earlier;
  const auto files = [this] {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir_))
      if (!e.is_directory()) names.insert(e.path().string());
    return names;
  };
  std::set<std::string> before = files();
  before.insert((dir_ / "convert.log").string());
  int err = -1;
  std::vector<Job> jobs = {StartPiped(program, {"convert", song.string(), "--wav", out.string()},
                                      dir_ / "convert.log", &err)};
  ASSERT_GT(jobs[0].pid, 0);
  std::string text;
  const bool writing = ReadUntilLine(err, "WAV ", &text);
  EXPECT_TRUE(writing) << "no progress line came: " << text;
  kill(jobs[0].pid, SIGINT);
  ReadUntilLine(err, "\x01", &text);  // the rest, to its end (no line starts so)
  ::close(err);
  EXPECT_EQ(WaitAll(jobs)[0], 130) << text;
  EXPECT_NE(text.find("interrupted"), std::string::npos) << text;
  const std::vector<char> kept = ReadBytes(out);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), earlier);
  std::vector<std::string> left;
  for (const std::string& name : files()) {
    // Only the lock file of the work folder stays, for the next instance.
    if (!before.count(name) && fs::path(name).filename() != ".instance-lock") left.push_back(name);
  }
  EXPECT_TRUE(left.empty()) << "left behind: " << ::testing::PrintToString(left);
}

}  // namespace
