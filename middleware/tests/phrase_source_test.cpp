#include "song/phrase_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "song/track_buffer.h"
#include "track_test_util.h"

namespace qm3 {
namespace {

using testing::BuildTrack;
using testing::Ev;
using testing::Off;
using testing::On;
using testing::ReadTrack;
using testing::WellFormed;

TEST(PhraseSourceNames, MoodIntroAndTempoPickTheFile) {
  EXPECT_EQ(FixedSourceName(FixedSource::kIntro, 0), "I_src_mid.dat");
  EXPECT_EQ(FixedSourceName(FixedSource::kIntro, 1), "mI_src_mid.dat");
  EXPECT_EQ(FixedSourceName(IntroSource(2), 0), "I_src_f_mid.dat");
  EXPECT_EQ(FixedSourceName(IntroSource(3), 1), "mI_src_f_mid.dat");
  EXPECT_EQ(IntroSource(4), FixedSource::kIntro);  // the intro slot without an intro
  EXPECT_EQ(FixedSourceName(FixedSource::kEnding, 1), "mE_src_mid.dat");
  EXPECT_EQ(FixedSourceName(ChordSource(120.0), 0), "chord_mid.dat");
  EXPECT_EQ(FixedSourceName(ChordSource(120.0001), 1), "mchord2_mid.dat");
}

class MelodyCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("melody_cycle_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Save(int buffer, const char* name) {
    SelectTrackBuffer(buffer);
    const std::string path = (dir_ / name).string();
    EXPECT_TRUE(SaveTrack(path));
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(MelodyCycle, RotatesToTheStartPhraseKeepsMelodyAndChords) {
  // Two phrases of 1 and 2 measures (4/4); a tempo event, a program on the
  // melody channel and a part on channel 3 that must not survive.
  BuildTrack(0,
             {{0, {0xFF, 0x51, 0x07, 0xA1, 0x20}},
              {0, {0xC0, 5}},
              On(0, 0, 60),
              On(0, 10, 48),
              On(0, 2, 30),
              Off(96, 0, 60),
              On(384, 0, 62),
              On(384, 10, 50),
              Off(390, 10, 48),
              Off(480, 0, 62),
              On(1100, 0, 64)},
             1152);
  MelodyCycleRequest request;
  request.path = Save(0, "p_00000042.dat");
  request.melody_beats = 4;
  request.beats = 4;
  request.phrases = {1, 2};
  request.start_phrase = 1;
  BuildMelodyCycle(request, 2);
  int64_t end = 0;
  // Phrase B (measures 1-2) first with the program chased, then phrase A at
  // measure 2; melody 6 ticks late, chords on time; notes held over a seam
  // stop there; no tempo, nothing of channel 3.
  EXPECT_EQ(ReadTrack(2, &end), (std::vector<Ev>{On(0, 10, 50),
                                                 {6, {0xC0, 5}},
                                                 On(6, 0, 62),
                                                 Off(6, 10, 48),
                                                 Off(102, 0, 62),
                                                 On(722, 0, 64),
                                                 Off(768, 10, 50),
                                                 On(768, 10, 48),
                                                 Off(774, 0, 64),
                                                 {774, {0xC0, 5}},
                                                 On(774, 0, 60),
                                                 Off(870, 0, 60),
                                                 Off(1152, 10, 48)}));
  EXPECT_EQ(end, 1152);
  EXPECT_TRUE(WellFormed(2));
  // The start phrase counts round the melody: phrase 3 of 2 is phrase 1.
  const std::vector<Ev> first = ReadTrack(2);
  request.start_phrase = 3;
  BuildMelodyCycle(request, 2);
  EXPECT_EQ(ReadTrack(2), first);
}

TEST_F(MelodyCycle, ConvertsTheMelodysMeterToTheSongs) {
  BuildTrack(0, {On(150, 0, 60), Off(200, 0, 60)}, 288);
  MelodyCycleRequest request;
  request.path = Save(0, "p_00000001.dat");
  request.melody_beats = 3;
  request.beats = 4;
  request.phrases = {1};
  BuildMelodyCycle(request, 0);
  EXPECT_EQ(ReadTrack(0), (std::vector<Ev>{On(210, 0, 60), Off(302, 0, 60)}));
}

TEST_F(MelodyCycle, NoPhrasesOrNoFileGiveDefinedTracks) {
  MelodyCycleRequest request;
  request.path = (dir_ / "missing.dat").string();
  request.phrases = {};
  BuildMelodyCycle(request, 1);
  int64_t end = -1;
  EXPECT_TRUE(ReadTrack(1, &end).empty());
  EXPECT_EQ(end, 0);
  request.phrases = {2};
  BuildMelodyCycle(request, 1);
  EXPECT_TRUE(WellFormed(1));
}

}  // namespace
}  // namespace qm3
