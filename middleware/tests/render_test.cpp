// The rendered song read back from "body_mid.dat".
#include "song/render.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "midi/module_messages.h"
#include "song/phrase_list.h"
#include "song/track_buffer.h"
#include "track_test_util.h"

namespace qm3 {
namespace {

using testing::BuildTrack;
using testing::Cc;
using testing::Ev;
using testing::Off;
using testing::On;
using testing::ReadTrack;
using testing::WellFormed;

// The song carries the same parameter messages the sender sends: fixed bytes
// for the set-up, the song start and a fill-in command.
TEST(ModuleMessages, SongCommandBytes) {
  const auto bytes = [](const midi::ParameterMessage& m) {
    return std::vector<uint8_t>(m.bytes.begin(), m.bytes.begin() + m.size);
  };
  EXPECT_EQ(bytes(midi::MakeParameterByte(midi::kAddrModuleInit, 0)),
            (std::vector<uint8_t>{0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x00, 0x7F, 0x04, 0x00, 0x00,
                                  0x01, 0x00, 0x00, 0x00, 0x3F, 0xF7}));
  EXPECT_EQ(bytes(midi::MakeParameterByte(midi::kAddrFirstSetup, 1)),
            (std::vector<uint8_t>{0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x00, 0x00, 0x13, 0x00, 0x00,
                                  0x01, 0x00, 0x01, 0x00, 0x2E, 0xF7}));
  EXPECT_EQ(bytes(midi::MakeParameterByte(midi::kAddrSongStart, 1)),
            (std::vector<uint8_t>{0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x0A, 0x00, 0x04, 0x00, 0x00,
                                  0x01, 0x00, 0x01, 0x00, 0x33, 0xF7}));
  EXPECT_EQ(bytes(midi::MakeParameterByte(midi::kAddrFillIn, 0x12)),
            (std::vector<uint8_t>{0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x0A, 0x00, 0x0C, 0x00, 0x00,
                                  0x01, 0x01, 0x02, 0x00, 0x29, 0xF7}));
  const auto rhythm = bytes(midi::MakeRhythmSetup(0x47, 0x50));
  EXPECT_EQ(std::vector<uint8_t>(rhythm.begin() + 6, rhythm.end()),
            (std::vector<uint8_t>{0x0A, 0x00, 0x00, 0x00, 0x00, 0x02, 0x04, 0x07, 0x00, 0x05, 0x00,
                                  (0u - (0xBD + 0x0A + 0x02 + 0x04 + 0x07 + 0x05)) & 0x7F, 0xF7}));
}

SongPhrase Phrase(PhraseKind kind, int measures, int variation, int fill_in, int parts = 63) {
  SongPhrase p;
  p.kind = kind;
  p.length = measures * 4;
  p.variation = static_cast<int8_t>(variation);
  p.fill_in = static_cast<int8_t>(fill_in);
  p.parts = parts;
  return p;
}

// The module message of an F0 event as read back (status + payload).
std::vector<uint8_t> AsEvent(const uint8_t* message, size_t length) {
  return std::vector<uint8_t>(message, message + length);
}
std::vector<uint8_t> Param(const midi::ParameterAddress& address, uint8_t value) {
  const midi::ParameterMessage m = midi::MakeParameterByte(address, value);
  return AsEvent(m.bytes.data(), m.size);
}

class Render : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("render_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    // Sources: each marks itself with a note of its own on channel 11.
    Source("I_src_mid.dat", 70);
    Source("I_src_f_mid.dat", 71);
    Source("E_src_mid.dat", 72);
    Source("chord_mid.dat", 73);
    Source("chord2_mid.dat", 74);
    Source("mchord_mid.dat", 75);
    // Melody: two phrases of 4 measures; a note at the start of each measure.
    std::vector<Ev> melody = {{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}};
    for (int m = 0; m < 8; ++m) {
      melody.push_back(On(m * 384, 0, 60 + m));
      melody.push_back(On(m * 384, 10, 40 + m));
      melody.push_back(Off(m * 384 + 192, 0, 60 + m));
      melody.push_back(Off(m * 384 + 192, 10, 40 + m));
    }
    BuildTrack(0, melody, 8 * 384);
    SaveAs(0, "p_00000042.dat");

    s_.source_dir = s_.work_dir = dir_.string() + "/";
    s_.beats = 4;
    s_.tempo = 1200000;
    s_.key_b = 0x47;
    s_.key_c = 0x50;
    s_.melody_program = 9;
    s_.melody_bank = 3;
    s_.part_volumes = {100, 90, 91, 80, 81, 82};
    s_.melody_file = "p_00000042.dat";
    s_.melody_beats = 4;
    s_.melody_phrases = {4, 4};
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Source(const char* name, int marker) {
    BuildTrack(0, {On(0, 10, marker), Off(96, 10, marker), On(400, 10, 99)}, 800);
    SaveAs(0, name);
  }
  void SaveAs(int buffer, const char* name) {
    SelectTrackBuffer(buffer);
    ASSERT_TRUE(SaveTrack((dir_ / name).string()));
  }

  // Renders and reads "body_mid.dat" back.
  std::vector<Ev> Run(const std::vector<SongPhrase>& phrases) {
    int64_t beats = 0;
    for (const SongPhrase& p : phrases) beats += p.length;
    s_.song_length = static_cast<int32_t>(beats * 96);
    skipped_.clear();
    EXPECT_EQ(RenderSong(phrases.data(), static_cast<int>(phrases.size()), s_, &skipped_), 0);
    SelectTrackBuffer(0);
    EXPECT_TRUE(LoadTrack((dir_ / kSongWorkFile).string()));
    EXPECT_TRUE(WellFormed(0));
    return ReadTrack(0, &end_);
  }

  static std::vector<Ev> Where(const std::vector<Ev>& events,
                               const std::function<bool(const Ev&)>& f) {
    std::vector<Ev> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out), f);
    return out;
  }
  static std::vector<Ev> Commands(const std::vector<Ev>& events,
                                  const midi::ParameterAddress& address) {
    return Where(events, [&](const Ev& e) {
      return e.bytes.size() == 17 && e.bytes[0] == 0xF0 &&
             std::equal(address.begin(), address.end(), e.bytes.begin() + 6);
    });
  }
  static std::vector<Ev> Volumes(const std::vector<Ev>& events, int from) {
    return Where(events, [&](const Ev& e) {
      return e.time >= from && e.bytes.size() == 3 && (e.bytes[0] & 0xF0) == 0xB0 &&
             e.bytes[1] == 7;
    });
  }
  static std::vector<Ev> Notes(const std::vector<Ev>& events, int channel) {
    return Where(events, [&](const Ev& e) {
      return e.bytes[0] == (0x90 | channel) && e.bytes.size() == 3 && e.bytes[2] > 0;
    });
  }

  std::vector<std::string> skipped_;
  std::filesystem::path dir_;
  RenderSettings s_;
  int64_t end_ = 0;
};

TEST_F(Render, SetUpCountInClockAndStart) {
  s_.tempo = 1000000;  // 100 BPM
  const std::vector<Ev> song =
      Run({Phrase(kPhraseBody, 4, 2, kFillInNone), Phrase(kPhraseBody, 4, 1, kFillInNone)});
  ASSERT_FALSE(song.empty());
  EXPECT_EQ(song[0], (Ev{0, {0xFF, 0x51, 0x09, 0x27, 0xC0}}));  // 600000 microseconds

  // Set-up at 336, in order.
  std::vector<Ev> setup =
      Where(song, [](const Ev& e) { return e.time == 336 && !(e.bytes[0] == 0xF7); });
  std::vector<Ev> expected;
  for (int ch = 0; ch < 16; ++ch) expected.push_back(Cc(336, ch, 121, 0));
  expected.push_back({336, Param(midi::kAddrFirstSetup, 1)});
  const midi::ParameterMessage rhythm = midi::MakeRhythmSetup(0x47, 0x50);
  expected.push_back({336, AsEvent(rhythm.bytes.data(), rhythm.size)});
  expected.push_back(Cc(336, 0, 0, 0));
  expected.push_back(Cc(336, 0, 32, 3));
  expected.push_back({336, {0xC0, 9}});
  expected.push_back({336, Param(midi::kAddrVariation, 2)});  // the first phrase's
  EXPECT_EQ(setup, expected);

  // Count-in clicks on channel 10.
  EXPECT_EQ(Where(song, [](const Ev& e) { return e.bytes[0] == 0x99; }),
            (std::vector<Ev>{On(0, 9, 47, 127), On(48, 9, 47, 0), On(96, 9, 47, 127),
                             On(144, 9, 47, 0), On(192, 9, 47, 127), On(240, 9, 47, 0)}));

  // A clock every 4 ticks up to the song length + one measure + 768.
  const std::vector<Ev> clocks = Where(song, [](const Ev& e) {
    return e.bytes == std::vector<uint8_t>{0xF7, 0xF8};
  });
  const int64_t clock_end = 8 * 384 + 384 + 768;
  ASSERT_EQ(clocks.size(), static_cast<size_t>(clock_end / 4));
  for (size_t i = 0; i < clocks.size(); ++i) ASSERT_EQ(clocks[i].time, static_cast<int64_t>(4 * i));
  EXPECT_EQ(end_, clock_end);

  // Start at 384, before the clock of that tick.
  auto start = std::find_if(song.begin(), song.end(), [](const Ev& e) {
    return e.bytes == std::vector<uint8_t>{0xF7, 0xFA};
  });
  ASSERT_NE(start, song.end());
  EXPECT_EQ(start->time, 384);
  auto clock = std::find_if(song.begin(), song.end(), [](const Ev& e) {
    return e.time == 384 && e.bytes == std::vector<uint8_t>{0xF7, 0xF8};
  });
  EXPECT_LT(start, clock);
  EXPECT_EQ(Commands(song, midi::kAddrSongStart),
            (std::vector<Ev>{{384, Param(midi::kAddrSongStart, 1)}}));
}

TEST_F(Render, MaterialSitsOnTheGrid) {
  s_.intro = 0;
  s_.intro_measures = 1;
  s_.ending = 0;
  s_.ending_measures = 2;
  const std::vector<Ev> song =
      Run({Phrase(kPhraseIntro, 1, 0, kFillInNone), Phrase(kPhraseBody, 4, 1, kFillInNone),
           Phrase(kPhraseBody, 4, 2, kFillInNone), Phrase(kPhraseEnding, 2, 0, kFillInNone)});
  // Section material starts at 378: intro marker, then the body's chords,
  // then the ending marker; the melody 6 ticks later, on the beat.
  const std::vector<Ev> chords = Notes(song, 10);
  ASSERT_EQ(chords.size(), 1u + 8u + 1u);
  EXPECT_EQ(chords[0], On(378, 10, 70));
  for (int m = 0; m < 8; ++m) EXPECT_EQ(chords[1 + m], On(378 + 384 + m * 384, 10, 40 + m));
  EXPECT_EQ(chords[9], On(378 + 9 * 384, 10, 72));
  const std::vector<Ev> melody = Notes(song, 0);
  ASSERT_EQ(melody.size(), 8u);
  for (int m = 0; m < 8; ++m) EXPECT_EQ(melody[m], On(384 + 384 + m * 384, 0, 60 + m));
  // Intro 1: set-up variation 1 and the intro command.
  EXPECT_EQ(Commands(song, midi::kAddrIntro), (std::vector<Ev>{{336, Param(midi::kAddrIntro, 1)}}));
  EXPECT_EQ(Commands(song, midi::kAddrVariation)[0], (Ev{336, Param(midi::kAddrVariation, 1)}));
}

TEST_F(Render, SectionCommandTimes) {
  struct Case {
    int intro, ending;
    midi::ParameterAddress address;
    uint8_t value;
    int64_t offset;  // from the ending's beat
  };
  const Case cases[] = {{4, 4, midi::kAddrEnding, 1, -52},
                        {4, 0, midi::kAddrEnding, 1, -52},
                        {4, 1, midi::kAddrEnding, 2, -52},
                        {2, 2, midi::kAddrFillIn, 1, +96},
                        {3, 3, midi::kAddrFillIn, 2, +96}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ending);
    s_.intro = c.intro;
    s_.intro_measures = c.intro < 4 ? 1 : 0;
    s_.ending = c.ending;
    s_.ending_measures = c.ending < 4 ? 1 : 0;
    std::vector<SongPhrase> phrases;
    if (c.intro < 4) phrases.push_back(Phrase(kPhraseIntro, 1, c.intro, kFillInNone));
    phrases.push_back(Phrase(kPhraseBody, 4, 1, kFillInNone));
    phrases.push_back(Phrase(kPhraseBody, 4, 2, kFillInNone));
    if (c.ending < 4) phrases.push_back(Phrase(kPhraseEnding, 1, c.ending, kFillInNone));
    const std::vector<Ev> song = Run(phrases);
    const int64_t ending_beat = 384 + (s_.intro_measures + 8) * 384;
    std::vector<Ev> got = Commands(song, c.address);
    std::vector<Ev> want;
    if (c.intro == 2 || c.intro == 3) {
      want.push_back({480, Param(midi::kAddrFillIn, static_cast<uint8_t>(c.intro - 1))});
    }
    want.push_back({ending_beat + c.offset, Param(c.address, c.value)});
    EXPECT_EQ(got, want);
    // Stop 6 ticks before the song end.
    const int64_t song_end = 384 + 96 * (s_.song_length / 96);
    EXPECT_EQ(Where(song,
                    [](const Ev& e) {
                      return e.bytes == std::vector<uint8_t>{0xF7, 0xFC};
                    }),
              (std::vector<Ev>{{song_end - 6, {0xF7, 0xFC}}}));
  }
}

TEST_F(Render, VariationsFillInsAndPartMutes) {
  s_.melody_phrases = {4, 4, 4};  // whole cycles: no cadence
  const std::vector<Ev> song =
      Run({Phrase(kPhraseBody, 4, 1, kFillIn2, 63), Phrase(kPhraseBody, 4, 2, kFillIn1, 62),
           Phrase(kPhraseBody, 4, 3, kFillInNone, 63 & ~(1 << 5))});
  // Variations 52 ticks before each boundary; fill-ins around each last measure.
  EXPECT_EQ(Commands(song, midi::kAddrVariation),
            (std::vector<Ev>{{336, Param(midi::kAddrVariation, 1)},
                             {384 + 1536 - 52, Param(midi::kAddrVariation, 2)},
                             {384 + 3072 - 52, Param(midi::kAddrVariation, 3)}}));
  EXPECT_EQ(Commands(song, midi::kAddrFillIn),
            (std::vector<Ev>{{384 + 1152 - 52, Param(midi::kAddrFillIn, 2)},
                             {384 + 1152 + 48, Param(midi::kAddrFillIn, 0)},
                             {384 + 2688 - 52, Param(midi::kAddrFillIn, 1)},
                             {384 + 2688 + 48, Param(midi::kAddrFillIn, 0)}}));
  // Volumes: the table at 379, then mute and restore 5 ticks before boundaries.
  std::vector<Ev> want;
  const uint8_t table[16] = {100, 113, 113, 113, 113, 113, 113, 113,
                             113, 113, 113, 80,  81,  82,  91,  90};
  for (int ch = 0; ch < 16; ++ch) want.push_back(Cc(379, ch, 7, table[ch]));
  const int64_t b1 = 384 + 1536 - 5;
  const int64_t b2 = 384 + 3072 - 5;
  // Into phrase 2: its parts restored, then its mute (melody).
  for (int ch : {11, 12, 13, 14, 15}) want.push_back(Cc(b1, ch, 7, table[ch]));
  want.push_back(Cc(b1, 0, 7, 0));
  // Into phrase 3: the same, the melody back, the drums muted.
  for (int ch : {11, 12, 13, 14, 0}) want.push_back(Cc(b2, ch, 7, table[ch]));
  want.push_back(Cc(b2, 15, 7, 0));
  EXPECT_EQ(Volumes(song, 0), want);
}

TEST_F(Render, FadeOutInTwentyOneSteps) {
  s_.fade_out = true;
  s_.fade_seconds = 3;
  s_.frames_per_second = 30;
  s_.start_time = 0;
  s_.end_time = 1800;  // 0:01:00:00; at 120 BPM one minute is 30 measures
  std::vector<SongPhrase> phrases;
  for (int i = 0; i < 7; ++i) phrases.push_back(Phrase(kPhraseBody, 4, 1, kFillInNone, 63));
  phrases.push_back(Phrase(kPhraseBody, 2, 1, kFillInNone, 62));
  const std::vector<Ev> song = Run(phrases);
  // The fade starts at 0:00:57:00 = tick 10944 and ends at 11520.
  const int64_t fs = 10944;
  const int64_t fe = 11520;
  const std::vector<Ev> fade = Volumes(song, 384 + fs);
  ASSERT_EQ(fade.size(), 21u * 16u);
  for (int j = 0; j <= 20; ++j) {
    for (int ch = 0; ch < 16; ++ch) {
      const Ev& e = fade[j * 16 + ch];
      // The last phrase (the one the fade starts in) mutes the melody.
      const int volume = ch == 0    ? 0
                         : ch == 14 ? 91
                         : ch == 15 ? 90
                         : ch >= 11 ? 80 + ch - 11
                                    : 113;
      EXPECT_EQ(e, Cc(384 + fs + j * (fe - fs) / 20, ch, 7, volume * (20 - j) / 20))
          << j << " " << ch;
    }
  }
  // The last phrase's melody mute at 384 + 10752 - 5 is before the fade: kept.
  EXPECT_EQ(Where(Volumes(song, 380), [](const Ev& e) { return e.bytes == Cc(0, 0, 7, 0).bytes; })
                .front(),
            Cc(384 + 10752 - 5, 0, 7, 0));
}

TEST_F(Render, ChordCadenceOnlyForPlayTimeSongs) {
  // Body of 7 measures against a 8-measure cycle: r = 7, so the last body
  // measure is the chord file's and the melody fades over the one before.
  std::vector<SongPhrase> phrases = {Phrase(kPhraseBody, 4, 1, kFillInNone),
                                     Phrase(kPhraseBody, 3, 2, kFillInNone)};
  std::vector<Ev> song = Run(phrases);
  std::vector<Ev> chords = Notes(song, 10);
  ASSERT_EQ(chords.size(), 7u);
  EXPECT_EQ(chords.back(), On(378 + 6 * 384, 10, 73));  // chord_mid.dat at 120 BPM
  const std::vector<Ev> melody_fade =
      Where(Volumes(song, 384 + 5 * 384), [](const Ev& e) { return e.bytes[0] == 0xB0; });
  ASSERT_EQ(melody_fade.size(), 21u);
  for (int j = 0; j <= 20; ++j) {
    EXPECT_EQ(melody_fade[j], Cc(384 + 5 * 384 + j * 384 / 20, 0, 7, 100 * (20 - j) / 20));
  }

  EXPECT_TRUE(skipped_.empty());

  s_.mood = 1;
  s_.tempo = 1200001;  // above 120 BPM: the faster file; its dark form is missing: silence
  song = Run(phrases);
  EXPECT_EQ(Notes(song, 10).back(), On(378 + 5 * 384, 10, 45));
  EXPECT_EQ(skipped_, std::vector<std::string>{(dir_ / "mchord2_mid.dat").string()});
  s_.mood = 0;
  song = Run(phrases);
  EXPECT_EQ(Notes(song, 10).back(), On(378 + 6 * 384, 10, 74));

  s_.real_time_song = true;
  song = Run(phrases);
  chords = Notes(song, 10);
  ASSERT_EQ(chords.size(), 7u);
  EXPECT_EQ(chords.back(), On(378 + 6 * 384, 10, 46));  // the melody's own chord
  EXPECT_TRUE(
      Where(Volumes(song, 384 + 5 * 384), [](const Ev& e) { return e.bytes[0] == 0xB0; }).empty());
}

TEST_F(Render, SourcesThatCannotBeReadAreNamedWhenTheSongNeedsThem) {
  std::ofstream(dir_ / "E_src_mid.dat", std::ios::binary | std::ios::trunc) << "MThd damaged";
  std::filesystem::remove(dir_ / "I_src_mid.dat");
  s_.ending = 0;
  s_.ending_measures = 2;
  // No intro: its missing source is not needed and not named.
  std::vector<Ev> song =
      Run({Phrase(kPhraseBody, 4, 1, kFillInNone), Phrase(kPhraseBody, 4, 2, kFillInNone),
           Phrase(kPhraseEnding, 2, 0, kFillInNone)});
  EXPECT_EQ(skipped_, std::vector<std::string>{(dir_ / "E_src_mid.dat").string()});
  EXPECT_FALSE(Notes(song, 0).empty()) << "the body keeps its melody";

  s_.intro = 0;
  s_.intro_measures = 1;
  s_.melody_file = "p_missing.dat";
  Run({Phrase(kPhraseIntro, 1, 0, kFillInNone), Phrase(kPhraseBody, 4, 1, kFillInNone),
       Phrase(kPhraseEnding, 2, 0, kFillInNone)});
  EXPECT_EQ(skipped_, (std::vector<std::string>{(dir_ / "I_src_mid.dat").string(),
                                                (dir_ / "p_missing.dat").string(),
                                                (dir_ / "E_src_mid.dat").string()}));
}

TEST_F(Render, AWorkFileThatCannotBeWrittenGivesEight) {
  s_.work_dir = (dir_ / "missing" / "").string();
  const std::vector<SongPhrase> phrases = {Phrase(kPhraseBody, 4, 1, kFillInNone)};
  EXPECT_EQ(RenderSong(phrases.data(), 1, s_), kRcDiskFull);
}

TEST_F(Render, EveryWorkFileIsASingleTrack) {
  s_.intro = 2;
  s_.intro_measures = 1;
  s_.ending = 1;
  s_.ending_measures = 3;
  Run({Phrase(kPhraseIntro, 1, 2, kFillInNone), Phrase(kPhraseBody, 4, 1, kFillIn1),
       Phrase(kPhraseEnding, 3, 1, kFillInNone)});
  int64_t end = 0;
  for (const char* name : {kPreWorkFile, kIntroWorkFile, kBodyWorkFile, kEndingWorkFile}) {
    SCOPED_TRACE(name);
    SelectTrackBuffer(1);
    ASSERT_TRUE(LoadTrack((dir_ / name).string()));
    EXPECT_TRUE(WellFormed(1));
    ReadTrack(1, &end);
    const int64_t want = name == std::string(kPreWorkFile)     ? 378
                         : name == std::string(kIntroWorkFile) ? 384
                         : name == std::string(kBodyWorkFile)  ? 4 * 384
                                                               : 3 * 384;
    EXPECT_EQ(end, want);
  }
}

}  // namespace
}  // namespace qm3
