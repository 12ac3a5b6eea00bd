#include <gtest/gtest.h>

#include "lint_style.h"
#include "style_builder.h"

namespace content {
namespace {

const char* kStyleText = R"(
style test
beats 4
steps 8
chord C maj
part acc1  program=4 volume=90 pan=40 rule=chord low=C4 high=C6
part bass  program=33 rule=bass low=E1 high=C3
part drums program=0
main 1 acc1  E4+G4+C5:8
main 3 acc1  E4+G4+C5:4 E4+G4+C5:4
main 1 bass  C2:8
main 2 bass  C2:4 G1:4
main 1 drums kick  x---x---
main 2 drums snare --x---x-
main 4 drums hat   x-x-x-x-x-x-x-x-
fill 1 drums snare --x-xxxx
fill 2 drums hitom xxxx----
final 1 bass C2:2 r:6
)";

RhythmSpec Rhythm() {
  RhythmSpec r;
  r.tempo = 100;
  r.intro[0] = 3;
  r.intro[1] = 1;
  r.ending[0] = 2;
  r.ending[1] = 1;
  r.programs[StylePart::kAcc1] = 5;
  return r;
}

CatalogRhythm Catalog(const RhythmSpec& r) {
  // Tokens 1..19 as the catalog line carries them.
  return {"Test",
          "Test",
          {1, 2, 3, r.intro[0], r.ending[0], r.intro[1], r.ending[1], r.tempo, 0, 4, 0, 0, 100, 0,
           100, 100, 90, 80, 70}};
}

ReadTrack BuildTrack(const StyleSource& style, const RhythmSpec& r) {
  return *ReadSmf(StyleTrack(style, r, BuildStyleSections(style, r)).ToSmf()).track;
}

TEST(StyleBank, SectionsFollowTheSourceAndTheRhythm) {
  const StyleSource style = ParseStyle(SplitSourceText(kStyleText, "test.sty"));
  const RhythmSpec r = Rhythm();
  const auto sections = BuildStyleSections(style, r);
  std::vector<std::string> names;
  for (const auto& s : sections) names.push_back(s.name + "/" + std::to_string(s.measures));
  EXPECT_EQ(names, (std::vector<std::string>{"Intro 1/3", "Intro 2/1", "Main 1/1", "Main 2/1",
                                             "Main 3/1", "Main 4/2", "Fill 1/1", "Fill 2/1",
                                             "Ending 1/2", "Ending 2/1"}));
  // Main 2 keeps main 1's kick and adds the snare; main 3 replaces the
  // accompaniment row; the two-measure hat row makes main 4 two measures long.
  const auto& main2 = sections[3].notes.at(StylePart::kDrums);
  EXPECT_EQ(main2.size(), 4u);
  EXPECT_EQ(sections[4].notes.at(StylePart::kAcc1).size(), 6u);  // two three-key chords
  EXPECT_EQ(sections[5].notes.at(StylePart::kDrums).size(), 4u + 4u + 8u);
  // The last measure of an ending is the written final; the one before it main 2.
  const auto& ending_bass = sections[8].notes.at(StylePart::kBass);
  ASSERT_EQ(ending_bass.size(), 3u);
  EXPECT_EQ(ending_bass[2].tick, 384u);
  // A fill-in's tuned parts come from the main variation above it.
  EXPECT_EQ(sections[6].notes.at(StylePart::kBass).size(), 2u);

  LintReport report;
  LintStyleFile("test", BuildTrack(style, r), Catalog(r), report);
  EXPECT_EQ(report.errors, std::vector<std::string>{});
}

TEST(StyleBank, TheFileCarriesMarkersChordAndPartTextsAndVoices) {
  const StyleSource style = ParseStyle(SplitSourceText(kStyleText, "test.sty"));
  const ReadTrack track = BuildTrack(style, Rhythm());
  std::vector<std::string> at_zero;
  for (const auto& m : track.metas)
    if (m.tick == 0 && (m.type == 0x06 || m.type == 0x01)) at_zero.push_back(m.text);
  EXPECT_EQ(at_zero, (std::vector<std::string>{"groove=steps 8 reach 0", "Intro 1", "chord=C maj",
                                               "part=12 rule=chord low=60 high=84",
                                               "part=15 rule=bass low=28 high=48",
                                               "part=16 rule=fixed low=0 high=127"}));
  bool overridden = false;
  for (const auto& c : track.controls)
    if (c.tick == 0 && c.channel == 12 && c.kind == 0xC0) overridden = c.number == 5;
  EXPECT_TRUE(overridden);
}

TEST(StyleBank, LintNamesEachStructuralFault) {
  const StyleSource style = ParseStyle(SplitSourceText(kStyleText, "test.sty"));
  const RhythmSpec r = Rhythm();
  auto lint = [&](const ReadTrack& track, const CatalogRhythm& catalog) {
    LintReport report;
    LintStyleFile("style", track, catalog, report);
    std::string all;
    for (const auto& e : report.errors) all += e + "\n";
    return all;
  };
  CatalogRhythm longer_intro = Catalog(r);
  longer_intro.numbers[3] = 4;
  EXPECT_NE(
      lint(BuildTrack(style, r), longer_intro).find("Intro 1 lasts 3 measures, the catalog says 4"),
      std::string::npos);
  CatalogRhythm other_tempo = Catalog(r);
  other_tempo.numbers[7] = 120;
  EXPECT_NE(lint(BuildTrack(style, r), other_tempo).find("tempo differs"), std::string::npos);

  StyleSource sparse = style;
  for (auto& [key, row] : sparse.rows)
    if (key.kind == SectionKind::kMain && key.number == 2) row.notes.clear();
  sparse.rows[{SectionKind::kMain, 3, StylePart::kDrums, 36}] = PatternRow{8, {}};  // kick out
  EXPECT_NE(lint(BuildTrack(sparse, r), Catalog(r)).find("sparser than Main"), std::string::npos);

  StyleSource odd_drum = style;

  odd_drum.rows[{SectionKind::kMain, 1, StylePart::kDrums, 90}] =
      odd_drum.rows[{SectionKind::kMain, 2, StylePart::kDrums, 38}];
  EXPECT_NE(lint(BuildTrack(odd_drum, r), Catalog(r)).find("drum note 90"), std::string::npos);

  StyleSource stray_note = style;
  stray_note.rows[{SectionKind::kMain, 2, StylePart::kAcc1, -1}] =
      PatternRow{8, {{0, 8, {62}, 90}}};
  EXPECT_NE(lint(BuildTrack(stray_note, r), Catalog(r)).find("key 62 of channel 12 is not a tone"),
            std::string::npos);

  // A track with no sections at all.
  TrackBuilder empty;
  empty.TimeSignature(0, 4, 4);
  empty.Tempo(0, 100);
  empty.EndAt(384);
  const std::string missing = lint(*ReadSmf(empty.ToSmf()).track, Catalog(r));
  EXPECT_NE(missing.find("missing section Main 1"), std::string::npos);
  EXPECT_NE(missing.find("missing section Ending 2"), std::string::npos);
}

TEST(StyleSource, RejectsRowsThatDoNotFillMeasuresAndUnknownNames) {
  auto parse = [](const std::string& extra) {
    ParseStyle(SplitSourceText(std::string(kStyleText) + extra, "bad.sty"));
  };
  EXPECT_THROW(parse("main 2 acc1 C4:3\n"), SourceError);
  EXPECT_THROW(parse("main 2 drums kick x-x\n"), SourceError);
  EXPECT_THROW(parse("main 2 drums cannon x-x-x-x-\n"), SourceError);
  EXPECT_THROW(parse("main 5 acc1 C4:8\n"), SourceError);
  EXPECT_THROW(parse("main 2 acc2 C4:8\n"), SourceError);  // part never declared
  EXPECT_THROW(parse("part acc3 rule=fixed\n"), SourceError);
  EXPECT_NO_THROW(parse("main 2 acc1 D#4+A#4:8@70  # a comment after sharps\n"));
}

}  // namespace
}  // namespace content
