// The command line at its edges, as users meet it: exit codes and help, the
// user's language, file names in any script, refusals before work, progress
// on a pipe, melody choice, and playing without a sound card.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli_run.h"
#include "platform/system_audio.h"

namespace sonavex::cli::test {
namespace {

namespace fs = std::filesystem;

int CountLines(const std::string& text, const std::string& prefix) {
  int n = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) n += line.rfind(prefix, 0) == 0;
  return n;
}

// "sonavex-cli 1.2...": the program's name, then a version "number.number".
bool StartsWithNameAndVersion(const std::string& out) {
  const std::string name = "sonavex-cli ";
  if (out.rfind(name, 0) != 0) return false;
  size_t at = name.size();
  const auto number = [&] {
    const size_t from = at;
    while (at < out.size() && out[at] >= '0' && out[at] <= '9') ++at;
    return at > from;
  };
  return number() && at < out.size() && out[at++] == '.' && number();
}

// The song file `text` with the song length (item 4,3) set to `ticks`.
std::string WithSongLength(std::string text, const std::string& ticks) {
  const std::string item = "\n4,3:";
  const size_t at = text.find(item);
  if (at == std::string::npos) return text;
  const size_t from = at + item.size();
  const size_t end = text.find_first_not_of("0123456789", from);
  return text.replace(from, end == std::string::npos ? std::string::npos : end - from, ticks);
}

class CliBehaviourTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!ContentBuilt()) return;
    folder_ = new ScratchFolder("behaviour");
    // One short song that every test reads.
    const CliResult r = RunCli({"compose", "--duration", "12", "-o", "song.bgm"}, dir());
    ASSERT_EQ(r.status, 0) << r.err;
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    if (!ContentBuilt()) GTEST_SKIP() << "no content library beside " << SONAVEX_CLI;
  }
  static const fs::path& dir() { return folder_->path(); }
  static ScratchFolder* folder_;
};
ScratchFolder* CliBehaviourTest::folder_ = nullptr;

TEST_F(CliBehaviourTest, HelpVersionAndExitCodes) {
  CliResult r = RunCli({"help"}, dir());
  EXPECT_EQ(r.status, 0);
  for (const char* command : {"list", "compose", "convert", "play"}) {
    EXPECT_NE(r.out.find(command), std::string::npos) << command;
  }
  r = RunCli({"help", "compose"}, dir());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: sonavex-cli compose"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("=bright"), std::string::npos) << "defaults are shown";
  EXPECT_EQ(RunCli({"compose", "--help"}, dir()).out, r.out);
  r = RunCli({"--version"}, dir());
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(StartsWithNameAndVersion(r.out)) << r.out;

  // Bad usage is 2, whoever finds it: the parser or the command.
  EXPECT_EQ(RunCli({}, dir()).status, 2);
  EXPECT_EQ(RunCli({"dance"}, dir()).status, 2);
  EXPECT_EQ(RunCli({"help", "dance"}, dir()).status, 2);
  EXPECT_EQ(RunCli({"compose", "--duration", "12", "--bogus", "-o", "x.bgm"}, dir()).status, 2);
  r = RunCli({"compose", "--duration", "12", "--mood", "happy", "-o", "x.bgm"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--mood"), std::string::npos);
  EXPECT_NE(r.err.find("bright,dark"), std::string::npos) << r.err;
  r = RunCli({"compose", "--duration", "12", "--rhythm", "no-such-rhythm", "-o", "x.bgm"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--rhythm"), std::string::npos);
  // Numbers: the refusal names the option and what it takes.
  for (const char* duration : {"abc", "0", "-5", "inf"}) {
    r = RunCli({"compose", "--duration", duration, "-o", "x.bgm"}, dir());
    EXPECT_EQ(r.status, 2) << duration;
    EXPECT_NE(r.err.find("--duration: \"" + std::string(duration) +
                         "\" is not a playing time in seconds above 0"),
              std::string::npos)
        << r.err;
  }
  for (const char* port : {"abc", "1.5", "99999999999"}) {
    r = RunCli({"play", "--port", port, "song.bgm"}, dir());
    EXPECT_EQ(r.status, 2) << port;
    EXPECT_NE(r.err.find("--port: \"" + std::string(port) + "\" is not a port number"),
              std::string::npos)
        << r.err;
  }
  EXPECT_EQ(RunCli({"convert", "missing.bgm", "--smf", "x.mid"}, dir()).status, 2);
  EXPECT_EQ(RunCli({"convert", "song.bgm"}, dir()).status, 2);
  EXPECT_FALSE(fs::exists(dir() / "x.bgm"));
  EXPECT_FALSE(fs::exists(dir() / "x.mid"));
}

TEST_F(CliBehaviourTest, MessagesInTheUsersLanguage) {
  std::ofstream(dir() / "damaged.bgm") << "QM3SONG_0003\ngarbage\n";
  const std::vector<std::string> args = {"convert", "damaged.bgm", "--smf", "x.mid"};
  const CliResult english = RunCli(args, dir(), {"LC_ALL=", "LC_MESSAGES=", "LANG=C.UTF-8"});
  EXPECT_EQ(english.status, 1);
  EXPECT_NE(english.err.find("the song file could not be read (the file is damaged) (code 17)"),
            std::string::npos)
      << english.err;
  const CliResult japanese = RunCli(args, dir(), {"LC_ALL=", "LC_MESSAGES=", "LANG=ja_JP.UTF-8"});
  EXPECT_EQ(japanese.status, 1);
  EXPECT_NE(japanese.err.find(
                "ソングファイルが読み込みできませんでした(ファイルが壊れています) (code 17)"),
            std::string::npos)
      << japanese.err;
  // LC_ALL overrides LANG.
  EXPECT_EQ(RunCli(args, dir(), {"LC_ALL=en_US.UTF-8", "LANG=ja_JP.UTF-8"}).err, english.err);
  EXPECT_FALSE(fs::exists(dir() / "x.mid"));
}

TEST_F(CliBehaviourTest, FileNamesInAnyScriptRoundTrip) {
  const fs::path folder = dir() / "日本語 フォルダ";
  fs::create_directories(folder);
  for (const std::string name : {"曲.bgm", "café.bgm", "🎵 song.bgm"}) {
    const std::string given = "日本語 フォルダ/" + name;
    const CliResult r = RunCli({"compose", "--duration", "12", "-o", given}, dir());
    ASSERT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_NE(r.out.find("wrote " + given + "\n"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(folder / name)) << name;
  }
  // Exactly those names, nothing misspelt beside them.
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"曲.bgm", "café.bgm", "🎵 song.bgm"}));

  const CliResult r = RunCli({"convert", "日本語 フォルダ/🎵 song.bgm", "--smf",
                              "日本語 フォルダ/出力 é🎵.mid", "--wav", "日本語 フォルダ/音 ñ.wav"},
                             dir());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("wrote 日本語 フォルダ/出力 é🎵.mid\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("wrote 日本語 フォルダ/音 ñ.wav\n"), std::string::npos) << r.out;
  EXPECT_GT(fs::file_size(folder / "出力 é🎵.mid"), 100u);
  EXPECT_GT(fs::file_size(folder / "音 ñ.wav"), 100000u);
}

TEST_F(CliBehaviourTest, OutputFoldersAreRefusedBeforeWork) {
  CliResult r = RunCli({"convert", "song.bgm", "--smf", "nodir/x.mid"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--smf nodir/x.mid"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('%'), std::string::npos) << "refused before converting";
  r = RunCli({"convert", "song.bgm", "--smf", "ok.mid", "--wav", "nodir/x.wav"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(fs::exists(dir() / "ok.mid")) << "nothing is written on a refused command";
  fs::create_directories(dir() / "a folder.bgm");
  r = RunCli({"compose", "--duration", "12", "-o", "a folder.bgm"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--out"), std::string::npos) << r.err;
  EXPECT_EQ(RunCli({"compose", "--duration", "12", "-o", "nodir/x.bgm"}, dir()).status, 2);
  EXPECT_FALSE(fs::exists(dir() / "nodir"));
}

TEST_F(CliBehaviourTest, SongFilesThatCannotBeSongsAreRefused) {
  const fs::path pipe = dir() / "pipe.bgm";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  CliResult r = RunCli({"convert", "pipe.bgm", "--smf", "p.mid"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("pipe.bgm: is not a regular file"), std::string::npos) << r.err;
  r = RunCli({"play", "pipe.bgm"}, dir());
  EXPECT_EQ(r.status, 2) << r.err;
  // A song length no song can have: refused as a broken song file.
  std::stringstream song;
  song << std::ifstream(dir() / "song.bgm", std::ios::binary).rdbuf();
  std::ofstream(dir() / "long.bgm", std::ios::binary) << WithSongLength(song.str(), "2147483647");
  r = RunCli({"convert", "long.bgm", "--smf", "long.mid"}, dir());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("(code 17)"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir() / "long.mid"));
  EXPECT_FALSE(fs::exists(dir() / "p.mid"));
}

TEST_F(CliBehaviourTest, ADamagedContentFileIsNamedAndTheSongKept) {
  const fs::path program = CopyHostFolder(dir() / "damaged-host");
  const fs::path ending = dir() / "damaged-host" / "E_src_mid.dat";
  std::ofstream(ending, std::ios::binary | std::ios::trunc) << "MThd cut short";
  const std::string note = "note: " + ending.string() + " could not be read";
  CliResult r = RunProgram(
      program, {"compose", "--duration", "30", "--mood", "bright", "--ending", "1", "-o", "e.bgm"},
      dir());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CountLines(r.err, "note: "), 1) << r.err;
  EXPECT_NE(r.err.find(note), std::string::npos) << r.err;
  r = RunProgram(program, {"convert", "e.bgm", "--quiet", "--smf", "e.mid"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, note + "; the song is silent where it plays\n");
  EXPECT_GT(fs::file_size(dir() / "e.mid"), 1000u);
  // The intact library names nothing.
  r = RunCli({"convert", "e.bgm", "--quiet", "--smf", "f.mid"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

TEST_F(CliBehaviourTest, ADamagedSoundFontIsSaidAndNoWavWritten) {
  const fs::path font = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  if (!fs::is_regular_file(font)) GTEST_SKIP() << "no small SoundFont to damage";
  std::ifstream in(font, std::ios::binary);
  std::string head(1 << 20, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  std::ofstream(dir() / "cut.sf2", std::ios::binary) << head;
  const CliResult r = RunCli({"convert", "song.bgm", "--quiet", "--wav", "x.wav"}, dir(),
                             {"SONAVEX_SOUNDFONT=" + (dir() / "cut.sf2").string()});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("no SoundFont it could load"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir() / "x.wav"));
}

TEST_F(CliBehaviourTest, ProgressOnAPipeIsShortAndQuietIsSilent) {
  CliResult r = RunCli({"convert", "song.bgm", "--wav", "p.wav"}, dir());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find('\r'), std::string::npos);
  const int lines = CountLines(r.err, "WAV ");
  EXPECT_GE(lines, 1);
  EXPECT_LE(lines, 4);
  EXPECT_LT(r.err.size(), 200u);
  r = RunCli({"convert", "song.bgm", "--quiet", "--smf", "q.mid"}, dir());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("wrote q.mid"), std::string::npos);
}

TEST_F(CliBehaviourTest, MelodyByCatalogNumberListIndexOrName) {
  const CliResult list = RunCli({"list", "melodies"}, dir());
  ASSERT_EQ(list.status, 0);
  // The last melody: its index differs from its catalog number.
  std::istringstream in(list.out);
  std::string line, last;
  while (std::getline(in, line)) {
    if (!line.empty()) last = line;
  }
  std::istringstream fields(last);
  std::string index, id, name, word;
  fields >> index >> id;
  while (fields >> word && !std::isdigit(static_cast<unsigned char>(word[0]))) {
    name += (name.empty() ? "" : " ") + word;
  }
  ASSERT_NE(index, id) << last;
  std::string shouted;  // upper case, full-width
  for (char c : name) {
    if (c == ' ') {
      shouted += "\u3000";
    } else {
      const char32_t wide = 0xFF01 + (std::toupper(static_cast<unsigned char>(c)) - 0x21);
      shouted += static_cast<char>(0xE0 | (wide >> 12));
      shouted += static_cast<char>(0x80 | ((wide >> 6) & 0x3F));
      shouted += static_cast<char>(0x80 | (wide & 0x3F));
    }
  }
  for (const std::string& key : {id, index, shouted}) {
    const CliResult r =
        RunCli({"compose", "--duration", "12", "--melody", key, "-o", "m.bgm"}, dir());
    EXPECT_EQ(r.status, 0) << key << ": " << r.err;
    EXPECT_NE(r.out.find("melody: " + name + "\n"), std::string::npos) << key << ": " << r.out;
  }
  fs::remove(dir() / "m.bgm");
  const CliResult r =
      RunCli({"compose", "--duration", "12", "--melody", "no such tune", "-o", "m.bgm"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--melody"), std::string::npos);
  EXPECT_NE(r.err.find("catalog number, list index or name"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir() / "m.bgm"));
}

TEST_F(CliBehaviourTest, PlayRefusalsAndASilentPort) {
  CliResult r = RunCli({"play", "--port", "9", "song.bgm"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--port 9: no such port"), std::string::npos) << r.err;
  if (platform::SystemAudioAvailable()) GTEST_SKIP() << "this machine can play sound";

  r = RunCli({"play", "song.bgm"}, dir());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "error: no sound card found; use --port or convert --wav\n");

  // The module's port plays, without sound: said once; the position moves.
  r = RunCli({"play", "--port", "0", "song.bgm"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CountLines(r.err, "note: port 0 (Corvane USB MIDI OUT 1) makes no sound"), 1) << r.err;
  std::set<std::string> positions;
  std::istringstream in(r.err);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("play ", 0) == 0) positions.insert(line);
  }
  EXPECT_GE(positions.size(), 3u) << r.err;
  EXPECT_LE(positions.size(), 4u) << r.err;
  EXPECT_EQ(r.err.find("ALSA"), std::string::npos);
}

}  // namespace
}  // namespace sonavex::cli::test
