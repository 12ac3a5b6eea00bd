// The command line end to end: compose a one-minute song, convert it to SMF
// and WAV through the real middleware, driver and software sound module (on
// the virtual clock), and check the files with the project's own readers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli_run.h"
#include "midi/sequence_file.h"
#include "song/convert_smf.h"

namespace {

namespace fs = std::filesystem;

using sonavex::cli::test::ContentFolderTest;
using sonavex::cli::test::ReadFile;
using sonavex::cli::test::RunCliLine;

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

class CliTest : public ContentFolderTest {};

TEST_F(CliTest, BadArgumentsNameTheArgument) {
  EXPECT_EQ(RunCliLine("compose --duration 60 --mood happy -o " + (dir_ / "x.bgm").string()), 2);
  EXPECT_EQ(
      RunCliLine("compose --rhythm no-such-rhythm --duration 60 -o " + (dir_ / "x.bgm").string()),
      2);
  EXPECT_FALSE(fs::exists(dir_ / "x.bgm"));
}

TEST_F(CliTest, ComposeThenConvertToSmfAndWav) {
  const fs::path song = dir_ / "song.bgm";
  ASSERT_EQ(RunCliLine("compose --duration 60 -o " + song.string()), 0);
  const auto bgm = ReadFile(song);
  ASSERT_GT(bgm.size(), 12u);
  EXPECT_EQ(std::string(bgm.begin(), bgm.begin() + 12), "QM3SONG_0003");

  const fs::path mid = dir_ / "song.mid";
  const fs::path wav = dir_ / "song.wav";
  ASSERT_EQ(
      RunCliLine("convert " + song.string() + " --smf " + mid.string() + " --wav " + wav.string()),
      0);

  // The SMF: format 0, division 96, the identification text, the melody on
  // channel 1, the accompaniment on 12-15 and drums on 10.
  const auto smf = ReadFile(mid);
  qm3::midi::SequenceFile file;
  ASSERT_EQ(file.Parse(smf.data(), smf.size()), 0);
  EXPECT_EQ(file.format(), 0);
  EXPECT_EQ(file.division(), 96);
  EXPECT_TRUE(qm3::HasIdentificationText(smf.data(), static_cast<int32_t>(smf.size())));
  int notes[16] = {};
  uint32_t first_accompaniment = UINT32_MAX;
  qm3::midi::SeqEvent e;
  while (file.Next(&e) == qm3::midi::ReadResult::kEvent) {
    if ((e.status & 0xF0) == 0x90 && e.data2 > 0) {
      ++notes[e.status & 0x0F];
      if ((e.status & 0x0F) >= 11 && (e.status & 0x0F) <= 14) {
        first_accompaniment = std::min(first_accompaniment, e.tick);
      }
    }
  }
  EXPECT_GT(notes[0], 0) << "melody";
  EXPECT_GT(notes[9], 0) << "drums";
  EXPECT_EQ(notes[10], 0) << "chord channel";
  EXPECT_GT(notes[11] + notes[12] + notes[13] + notes[14], 0) << "accompaniment";
  EXPECT_GE(first_accompaniment, 376u);

  // The WAV: the header as laid out, about one minute of audio (plus the
  // ending's release), not silent.
  const auto w = ReadFile(wav);
  ASSERT_GT(w.size(), 46u);
  EXPECT_EQ(std::memcmp(w.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(w.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(Le32(w.data() + 16), 18u);
  EXPECT_EQ(Le32(w.data() + 24), 44100u);
  const uint32_t data = Le32(w.data() + 42);
  EXPECT_EQ(Le32(w.data() + 4), data + 38);
  EXPECT_EQ(w.size(), data + 46u);
  const double seconds = data / 176400.0;
  EXPECT_GT(seconds, 58.0);
  EXPECT_LT(seconds, 62.0);
  int peak = 0;
  for (size_t i = 46; i + 1 < w.size(); i += 2) {
    peak = std::max(peak, std::abs(static_cast<int16_t>(w[i] | (w[i + 1] << 8))));
  }
  EXPECT_GT(peak, 1000);
}

}  // namespace
