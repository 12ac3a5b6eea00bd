// perform end to end: a scripted live run through the middleware, the cvusb
// driver and the software module on the virtual clock, and scripts refused
// before any run starts, naming their line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli_run.h"

namespace {

namespace fs = std::filesystem;
using sonavex::cli::test::CliResult;
using sonavex::cli::test::RunCli;
using sonavex::cli::test::ScratchFolder;

class PerformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!sonavex::cli::test::ContentBuilt()) GTEST_SKIP() << "no content library";
  }

  std::string Script(const std::string& text) {
    const fs::path p = folder_.path() / "script.txt";
    std::ofstream(p) << text;
    return p.string();
  }
  // The module's ports in a runtime folder of this test alone.
  CliResult Cli(const std::vector<std::string>& args) {
    fs::create_directories(folder_.path() / "run");
    return RunCli(args, folder_.path(), {"XDG_RUNTIME_DIR=" + (folder_.path() / "run").string()});
  }
  CliResult Perform(std::vector<std::string> args) {
    args.insert(args.begin(), "perform");
    return Cli(args);
  }

  ScratchFolder folder_{"perform"};
};

TEST_F(PerformTest, ScriptedRunPrintsItsMeasuresAndWritesTheSong) {
  const std::string script = Script(
      "# intro 1, main 1, a fill-in, main 2, ending 2\n"
      "1 intro1\n"
      "7 fill1\n"
      "7 main2\n"
      "11 ending2\n");
  const fs::path song = folder_.path() / "live.bgm";
  const CliResult r =
      Perform({"--rhythm", "Piano Ballad", "--script", script, "-o", song.string()});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out.rfind("1 1 0\n2 1 0\n3 11 0\n4 11 0\n5 11 0\n6 11 0\n7 9 0\n8 12 1\n9 12 1\n"
                        "10 12 1\n11 12 1\n12 6 1\n13 6 1\n",
                        0),
            0u)
      << r.out;
  EXPECT_EQ(r.out.find("14 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ｲﾝﾄﾛ1          2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ﾌﾚｰｽﾞ1         5        1         1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ﾌﾚｰｽﾞ2         4        2         -"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ｴﾝﾃﾞｨﾝｸﾞ2      2"), std::string::npos) << r.out;
  // The song it made is a song like any other: it exports.
  const CliResult exported = Cli({"convert", song.string(), "--quiet", "--smf", "live.mid"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_GT(fs::file_size(folder_.path() / "live.mid"), 100u);
}

TEST_F(PerformTest, AScriptThatNeverEndsTheRunReachesTheMeasureLimitAndSaysSo) {
  const CliResult r = Perform({"--script", Script("1 main1\n2 main2\n"), "-o", "long.bgm"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("presses no ending, fade or stop"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("\n997 12 1\n"), std::string::npos);
  EXPECT_EQ(r.out.find("\n998 "), std::string::npos);
  EXPECT_NE(r.out.find("length: 382848 ticks"), std::string::npos) << "997 measures of 384";
}

TEST_F(PerformTest, ASourceTheRunCannotReadIsNamedOnceAndTheRunGoesOn) {
  // The run's material holds the intro source even when no intro is played,
  // and the song made afterwards does not read it again.
  const fs::path program = sonavex::cli::test::CopyHostFolder(folder_.path() / "host");
  const fs::path intro = folder_.path() / "host" / "I_src_mid.dat";
  std::ofstream(intro, std::ios::binary | std::ios::trunc) << "MThd cut short";
  const CliResult r = sonavex::cli::test::RunProgram(
      program, {"perform", "--script", Script("1 main1\n3 stop\n")}, folder_.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string note = "note: " + intro.string() + " could not be read";
  const size_t at = r.err.find(note);
  EXPECT_NE(at, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("note: ", at + 1), std::string::npos) << r.err;
  EXPECT_EQ(r.out.rfind("1 11 0\n2 11 0\n", 0), 0u) << r.out;
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
    const CliResult r = Perform({"--script", Script(c.script)});
    EXPECT_EQ(r.status, 2) << c.script;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.script << r.err;
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << "the module started: " << r.err;
  }
  const CliResult keys = Perform({});
  EXPECT_EQ(keys.status, 2);
  EXPECT_NE(keys.err.find("--script"), std::string::npos) << keys.err;
}

}  // namespace
