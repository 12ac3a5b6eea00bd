#include <gtest/gtest.h>

#include <map>

#include "library_writer.h"
#include "lint_style.h"
#include "melody_composer.h"
#include "style_builder.h"

namespace content {
namespace {

const char* kGroove = R"(
style groove
beats 4
steps 16
chord C maj
feel swing=4 humanise=2,5 accents=8,-2,4,-2 offbeat=-6 between=-12 push=bass:-2
part acc1  program=4 rule=chord low=C4 high=C6
part bass  program=33 rule=bass low=E1 high=C3
part drums program=0
main 1 acc1  E4+G4+C5:8 E4+G4+C5:8
main 1 bass  C2:4 C2:4 G1:4 G1:4
main 1 drums kick  x-------x-------
main 1 drums snare ----x--o----x--o
main 1 drums hat   xxxxxxxxxxxxxxxx
main 2 drums kick  x-----x-x-------
main 3 drums kick  x-----x-x-x-----
main 4 drums kick  x-----x-x-x---x-
fill 1 drums snare xxxxxxxxxxxxxxxx
dark feel humanise=2,5 accents=6,-2,3,-2 offbeat=-6 between=-12 push=bass:1 level=-6
dark part acc1 program=5 low=G3
dark main 1 acc1  C4+E4+G4:8 C4+E4+G4:8
dark main 1 drums hat ----------------
dark main 1 drums ride x-x-x-x-x-x-x-x-
)";

RhythmSpec Rhythm() {
  RhythmSpec r;
  r.key_b = 4;
  r.key_c = 16;
  r.intro[0] = 3;
  return r;
}

const BuiltSection& Named(const std::vector<BuiltSection>& sections, const std::string& name) {
  for (const auto& s : sections)
    if (s.name == name) return s;
  throw std::runtime_error("no section " + name);
}

double MeanVelocity(const std::vector<TimedNote>& notes, uint32_t from, uint32_t to) {
  double sum = 0;
  int count = 0;
  for (const auto& n : notes) {
    if (n.tick < from || n.tick >= to) continue;
    sum += n.velocity;
    ++count;
  }
  return count > 0 ? sum / count : 0;
}

TEST(PlayedStyle, SameSourceSameNotesAndEveryNoteWithinTheGroovesReach) {
  const StyleSource style = ParseStyle(SplitSourceText(kGroove, "groove.sty"));
  EXPECT_EQ(style.feel.Reach(), 4 + 2 + 2);
  const auto a = StyleTrack(style, Rhythm(), BuildStyleSections(style, Rhythm())).ToSmf();
  const auto b = StyleTrack(style, Rhythm(), BuildStyleSections(style, Rhythm())).ToSmf();
  EXPECT_EQ(a, b);
  RhythmSpec other = Rhythm();
  other.key_c = 17;  // another rhythm on the same style varies differently
  EXPECT_NE(a, StyleTrack(style, other, BuildStyleSections(style, other)).ToSmf());

  const auto sections = BuildStyleSections(style, Rhythm());
  int off_grid = 0;
  long swung = 0, straight = 0;
  for (const auto& s : sections) {
    for (const auto& [part, notes] : s.notes) {
      for (const auto& n : notes) {
        const uint32_t grid = (n.tick + 12) / 24 * 24;
        const int offset = static_cast<int>(n.tick) - static_cast<int>(grid);
        EXPECT_LE(std::abs(offset), style.feel.Reach()) << s.name;
        off_grid += offset != 0;
        if (part == StylePart::kDrums && n.key == 42 && s.name == "Main 1")
          ((grid / 24) % 2 == 1 ? swung : straight) += offset;
        EXPECT_LE(n.tick + n.length, static_cast<uint32_t>(s.measures) * 384) << s.name;
      }
    }
  }
  EXPECT_GT(off_grid, 0);
  EXPECT_GE(swung - straight, 8 * 3);  // eight swung sixteenths, about 4 ticks later each

  LintReport report;
  const CatalogRhythm catalog{
      "Groove", "Groove", {1, 4, 16, 3, 2, 1, 1, 120, 0, 4, 0, 0, 100, 0, 100, 100, 90, 80, 70}};
  LintStyleFile("groove", *ReadSmf(a).track, catalog, report);
  EXPECT_EQ(report.errors, std::vector<std::string>{});

  auto pushed = BuildStyleSections(style, Rhythm());
  pushed[2].notes[StylePart::kBass][1].tick += 11;
  report = {};
  LintStyleFile("groove", *ReadSmf(StyleTrack(style, Rhythm(), pushed).ToSmf()).track, catalog,
                report);
  ASSERT_EQ(report.errors.size(), 1u);
  EXPECT_NE(report.errors[0].find("channel 15 plays"), std::string::npos);
}

TEST(PlayedStyle, AccentsGhostsAndTheShapeOfSections) {
  const StyleSource style = ParseStyle(SplitSourceText(kGroove, "groove.sty"));
  const auto sections = BuildStyleSections(style, Rhythm());
  const auto& main1 = Named(sections, "Main 1").notes.at(StylePart::kDrums);
  std::map<int, std::vector<int>> by_key;  // drum key -> velocities
  double beat_hat = 0, sixteenth_hat = 0;
  for (const auto& n : main1) {
    by_key[n.key].push_back(n.velocity);
    const uint32_t grid = (n.tick + 12) / 24 * 24;
    if (n.key == 42) (grid % 96 == 0 ? beat_hat : sixteenth_hat) += n.velocity;
  }
  EXPECT_GT(beat_hat / 4, sixteenth_hat / 12 + 6);                // the hat speaks on the beat
  for (int v : by_key[38]) EXPECT_TRUE(v <= 72 || v >= 90) << v;  // ghosts stay ghosts
  // Cymbals sit under kick and snare.
  double hats = 0, kicks = 0;
  for (int v : by_key[42]) hats += v;
  for (int v : by_key[36]) kicks += v;
  EXPECT_LT(hats / static_cast<double>(by_key[42].size()),
            kicks / static_cast<double>(by_key[36].size()));
  // The intro starts softly and the main variations grow fuller.
  const double intro = MeanVelocity(Named(sections, "Intro 1").notes.at(StylePart::kDrums), 0, 384);
  const double main2 = MeanVelocity(Named(sections, "Main 2").notes.at(StylePart::kDrums), 0, 384);
  const double main4 = MeanVelocity(Named(sections, "Main 4").notes.at(StylePart::kDrums), 0, 384);
  EXPECT_LT(intro + 6, main2);
  EXPECT_LT(main2, main4);
  // A fill-in builds up over its measure.
  const auto& fill = Named(sections, "Fill 1").notes.at(StylePart::kDrums);
  EXPECT_GT(MeanVelocity(fill, 288, 384), MeanVelocity(fill, 0, 96) + 8);
}

TEST(DarkMood, DarkLinesMakeAVariantAndTheBrightStyleIgnoresThem) {
  const auto lines = SplitSourceText(kGroove, "groove.sty");
  const StyleSource bright = ParseStyle(lines);
  const StyleSource dark = ParseStyle(lines, StyleMood::kDark);
  EXPECT_FALSE(bright.dark);
  EXPECT_TRUE(dark.dark);
  EXPECT_EQ(bright.parts.at(StylePart::kAcc1).program, 4);
  // A dark part line changes only what it names.
  const PartSetup& acc1 = dark.parts.at(StylePart::kAcc1);
  EXPECT_EQ(acc1.program, 5);
  EXPECT_EQ(acc1.low, 55);
  EXPECT_EQ(acc1.high, 84);
  EXPECT_EQ(acc1.rule, "chord");
  EXPECT_EQ(dark.feel.level, -6);
  EXPECT_EQ(dark.feel.swing, 0);
  EXPECT_EQ(bright.feel.swing, 4);
  EXPECT_EQ(bright.rows.count({SectionKind::kMain, 1, StylePart::kDrums, 51}), 0u);
  EXPECT_EQ(dark.rows.count({SectionKind::kMain, 1, StylePart::kDrums, 51}), 1u);
  EXPECT_TRUE(dark.rows.at({SectionKind::kMain, 1, StylePart::kDrums, 42}).notes.empty());

  // The variant is told apart from the bright style; a copy is not.
  const RhythmSpec r = Rhythm();
  const auto b = *ReadSmf(StyleTrack(bright, r, BuildStyleSections(bright, r)).ToSmf()).track;
  const auto d = *ReadSmf(StyleTrack(dark, r, BuildStyleSections(dark, r)).ToSmf()).track;
  LintReport report;
  LintMoodContrast("dark", b, d, report);
  EXPECT_TRUE(report.ok()) << report.errors[0];
  LintMoodContrast("copy", b, b, report);
  ASSERT_EQ(report.errors.size(), 1u);
  EXPECT_NE(report.errors[0].find("only 0 of"), std::string::npos);
}

TEST(DarkMood, PhraseAndSourceFilesCarryTheMoodOnTheChordChannel) {
  auto mood_at_zero = [](const std::vector<uint8_t>& bytes) {
    const ReadTrack track = *ReadSmf(bytes).track;
    for (const auto& c : track.controls)
      if (c.tick == 0 && c.channel == kChordChannel && c.kind == 0xB0 &&
          c.number == kMoodController)
        return c.value;
    return -1;
  };
  const MelodyLibrary library = LoadMelodyLibrary(CONTENT_SOURCES_DIR);
  const MelodySpec& melody = library.melodies.front();
  EXPECT_EQ(mood_at_zero(ComposePhraseSet(library, melody, Mode::kMajor).ToSmf()), 0);
  EXPECT_EQ(mood_at_zero(ComposePhraseSet(library, melody, Mode::kMinor).ToSmf()), 127);
  for (const auto& [name, track] : FixedSourceFiles())
    EXPECT_EQ(mood_at_zero(track.ToSmf()), name[0] == 'm' ? 127 : 0) << name;

  RhythmSpec shared = Rhythm();
  shared.programs[StylePart::kAcc1] = 25;
  EXPECT_EQ(DarkRhythm(shared).programs, shared.programs);
  shared.dark_programs = std::map<StylePart, int>{{StylePart::kAcc2, 49}};
  EXPECT_EQ(DarkRhythm(shared).programs, (std::map<StylePart, int>{{StylePart::kAcc2, 49}}));
}

TEST(PlayedMelody, PhrasesRiseAndFallAndTheLastOneSingsOut) {
  const MelodyLibrary library = LoadMelodyLibrary(CONTENT_SOURCES_DIR);
  int checked = 0;
  for (const MelodySpec& melody : library.melodies) {
    const auto lengths = PhraseLengths(library, melody.bright);
    if (lengths.size() < 3) continue;
    const auto bytes = ComposePhraseSet(library, melody, Mode::kMajor).ToSmf();
    ASSERT_EQ(bytes, ComposePhraseSet(library, melody, Mode::kMajor).ToSmf());
    const ReadTrack track = *ReadSmf(bytes).track;
    const uint32_t measure = static_cast<uint32_t>(melody.beats * 96);
    // Mean velocity per phrase and per phrase third.
    std::vector<double> phrase_mean;
    double opening = 0, middle = 0;
    int opening_n = 0, middle_n = 0;
    uint32_t start = 0;
    for (int length : lengths) {
      const uint32_t end = start + static_cast<uint32_t>(length) * measure;
      double sum = 0;
      int count = 0;
      for (const auto& n : track.notes) {
        if (n.channel != 1 || n.start < start || n.start >= end) continue;
        sum += n.velocity;
        ++count;
        const double at = static_cast<double>(n.start - start) / (end - start);
        if (at < 0.25) opening += n.velocity, ++opening_n;
        if (at >= 0.4 && at < 0.75) middle += n.velocity, ++middle_n;
      }
      phrase_mean.push_back(sum / count);
      start = end;
    }
    EXPECT_GT(phrase_mean.back(), phrase_mean.front() + 4) << melody.name;
    EXPECT_GT(middle / middle_n, opening / opening_n) << melody.name;
    ++checked;
  }
  EXPECT_GT(checked, 3);
}

}  // namespace
}  // namespace content
