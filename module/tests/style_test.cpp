// Reading styles of the style bank.
#include "style.h"

#include <gtest/gtest.h>

#include "module_harness.h"
#include "style_player.h"

namespace corvane {
namespace {

using test::StyleWriter;

std::optional<Style> Parse(const std::vector<uint8_t>& bytes) {
  return ParseStyle(bytes.data(), bytes.size());
}

TEST(ParseStyle, ReadsSectionsPartsAndNotes) {
  StyleWriter w(3, 90);
  w.Section("Main 2", 2, "A min").Part(12, "scale", 40, 70).Part(16, "chord", 0, 127);
  w.Note(12, 0, 57, 80, 288).Note(16, 96, 38, 100, 24).Program(12, 5);
  // A note held into the next section ends where its own section ends.
  w.Note(15, 480, 45, 90, 200);
  w.Section("Fill 2", 3);  // a fill-in lasts one measure
  w.Note(16, 0, 40, 90, 24);
  const auto style = Parse(w.Bytes());
  ASSERT_TRUE(style);
  EXPECT_EQ(style->beats_per_measure, 3);
  EXPECT_EQ(style->tempo_bpm, 90);
  const Section& main2 = style->mains[1];
  ASSERT_TRUE(main2.present);
  EXPECT_EQ(main2.length, 2u * 288u);
  EXPECT_EQ(main2.source, (Chord{9, ChordType::kMinor}));
  EXPECT_EQ(main2.parts[0].rule, PartRule::kScale);
  EXPECT_EQ(main2.parts[0].low, 40);
  EXPECT_EQ(main2.parts[4].rule, PartRule::kFixed);  // drums never move
  EXPECT_EQ(main2.parts[3].rule, PartRule::kBass);   // undeclared: the part's default
  ASSERT_EQ(main2.notes.size(), 3u);
  EXPECT_EQ(main2.notes[0].length, 288u);
  EXPECT_EQ(main2.notes[2].length, 96u);
  ASSERT_EQ(main2.controls.size(), 1u);
  EXPECT_EQ(main2.controls[0].kind, 0xC0);
  EXPECT_EQ(style->fills[1].length, 288u);
  EXPECT_EQ(style->fills[1].notes.size(), 1u);
}

TEST(ParseStyle, MissingSectionsFallBack) {
  StyleWriter w;
  w.Section("Main 2", 1).Section("Ending 1", 1).Section("Intro 1", 1);
  const auto style = Parse(w.Bytes());
  ASSERT_TRUE(style);
  EXPECT_EQ(style->Find(SectionKind::kMain, 1), &style->mains[1]);  // no main 1: another main
  EXPECT_EQ(style->Find(SectionKind::kFill, 2), &style->mains[1]);  // fill n -> main n
  EXPECT_EQ(style->Find(SectionKind::kEnding, 2), &style->endings[0]);
  EXPECT_EQ(style->Find(SectionKind::kIntro, 2), &style->intros[0]);
  StyleWriter bare;
  bare.Section("Main 1", 1);
  EXPECT_EQ(Parse(bare.Bytes())->Find(SectionKind::kEnding, 1), nullptr);
}

TEST(ParseStyle, RefusesFilesThatAreNoStyleAndSurvivesBrokenOnes) {
  EXPECT_FALSE(Parse({}));
  EXPECT_FALSE(Parse({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0xE7, 0x28}));  // SMPTE
  StyleWriter none;
  none.Note(12, 0, 60, 100, 10);
  EXPECT_FALSE(Parse(none.Bytes()));  // no section marker

  StyleWriter w;
  w.Section("Main 1", 1).Note(12, 0, 60, 90, 96).Note(12, 96, 62, 90, 96);
  const auto good = w.Bytes();
  // Every truncation, and every single byte set to a troublesome value.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    Parse(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)));
  }
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t v : {0x00, 0x7F, 0x80, 0xFF}) {
      auto bad = good;
      bad[i] = v;
      if (auto s = Parse(bad)) {
        for (const auto& n : s->mains[0].notes) EXPECT_LE(n.tick + n.length, s->mains[0].length);
      }
    }
  }
}

struct CountingSink : StyleSink {
  int sent = 0;
  void OnStyleMessage(uint8_t, uint8_t, uint8_t) override { ++sent; }
};

// A reader that skips the ticks the player calls quiet misses nothing: every
// tick that sends was announced, looking from any earlier quiet tick.
TEST(StylePlayer, TicksCalledQuietSendNothing) {
  StyleWriter w(3, 120);
  w.Section("Main 1", 2, "C maj").Part(12, "chord", 40, 90);
  w.Note(12, 5, 60, 80, 30).Note(16, 96, 38, 100, 7).Note(13, 200, 48, 90, 300).Program(12, 5);
  w.Section("Ending 1", 1).Note(16, 10, 40, 90, 24);
  const auto style = Parse(w.Bytes());
  ASSERT_TRUE(style);
  CountingSink sink;
  StylePlayer player;
  player.SetStyle(&*style, sink);
  player.SetChord(Chord{0, ChordType::kMajor});
  player.Start();
  int quiet_runs = 0;
  for (int tick = 0; tick < 2000; ++tick) {
    if (tick == 1100) player.RequestEnding(1);
    std::vector<bool> announced;
    for (uint32_t ahead = 0; ahead < 40; ++ahead) announced.push_back(player.TickMaySend(ahead));
    // Ticks are played one by one while the earlier ones stay quiet.
    uint32_t ahead = 0;
    for (; ahead < announced.size(); ++ahead, ++tick) {
      const int before = sink.sent;
      player.Tick(sink);
      if (sink.sent != before) {
        EXPECT_TRUE(announced[ahead]) << "tick " << tick;
        break;
      }
    }
    quiet_runs += ahead > 1;
  }
  EXPECT_GT(sink.sent, 20);
  EXPECT_GT(quiet_runs, 10) << "most ticks are quiet and known to be";
}

}  // namespace
}  // namespace corvane
