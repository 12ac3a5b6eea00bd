// perform end to end: a scripted live run through the middleware, the cvusb
// driver and the software module on the virtual clock, and scripts refused
// before any run starts, naming their line.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;  // standard output and error together
};

class PerformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(fs::path(SONAVEX_CLI).parent_path() / "QM3RHY.toc")) {
      GTEST_SKIP() << "no content library beside " << SONAVEX_CLI;
    }
    dir_ = fs::temp_directory_path() / ("sonavex-perform-" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "run");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  std::string Script(const std::string& text) {
    const fs::path p = dir_ / "script.txt";
    std::ofstream(p) << text;
    return p.string();
  }
  // Runs the program with its own runtime folder, so the module's ports are
  // this test's alone; standard input is not a terminal.
  Result Run(const std::string& args) {
    const std::string cmd = "XDG_RUNTIME_DIR=" + (dir_ / "run").string() + " " + SONAVEX_CLI + " " +
                            args + " < /dev/null 2>&1";
    Result r;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    size_t n = 0;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }

  fs::path dir_;
};

TEST_F(PerformTest, ScriptedRunPrintsItsMeasuresAndWritesTheSong) {
  const std::string script = Script(
      "# intro 1, main 1, a fill-in, main 2, ending 2\n"
      "1 intro1\n"
      "7 fill1\n"
      "7 main2\n"
      "11 ending2\n");
  const fs::path song = dir_ / "live.bgm";
  const Result r =
      Run("perform --rhythm \"Piano Ballad\" --script " + script + " -o " + song.string());
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("1 1 0\n2 1 0\n3 11 0\n4 11 0\n5 11 0\n6 11 0\n7 9 0\n8 12 1\n9 12 1\n"
                       "10 12 1\n11 12 1\n12 6 1\n13 6 1\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("14 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ｲﾝﾄﾛ1          2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ﾌﾚｰｽﾞ1         5        1         1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ﾌﾚｰｽﾞ2         4        2         -"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ｴﾝﾃﾞｨﾝｸﾞ2      2"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(song));
}

TEST_F(PerformTest, BadScriptsAreRefusedBeforeTheRunNamingTheLine) {
  struct Case {
    const char* script;
    const char* message;
  };
  const Case cases[] = {
      {"1 main1\n\n3 fill3\n", "line 3: unknown button \"fill3\""},
      {"1 main1\n5 main2\n3 ending1\n", "line 3: measure 3 comes before measure 5 of line 2"},
      {"1 main1\n4 stop\n6 main2\n", "line 3: main2 after stop"},
      {"1 ending1\n", "line 1: ending1 cannot start a run"},
      {"2 intro1\n", "line 1: the first press starts the run"},
      {"1 intro1\n3 intro2\n", "line 2: an intro can only start the run"},
      {"1 main1\nx main2\n", "line 2: \"x\" is not a measure number"},
      {"# nothing\n", "the script presses no button"},
  };
  for (const Case& c : cases) {
    const Result r = Run("perform --script " + Script(c.script));
    EXPECT_EQ(r.status, 2) << c.script;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.script << r.out;
    EXPECT_EQ(r.out.find("warning"), std::string::npos) << "the module started: " << r.out;
  }
  const Result keys = Run("perform");
  EXPECT_EQ(keys.status, 2);
  EXPECT_NE(keys.out.find("needs --script FILE, or a terminal"), std::string::npos) << keys.out;
}

}  // namespace
