#include "lint_melody.h"

#include <gtest/gtest.h>

#include <functional>

#include "melody_composer.h"
#include "smf_writer.h"

namespace content {
namespace {

struct Tune {
  // Per measure: the chord symbols and the melody as (key, sixteenths).
  std::vector<std::vector<std::string>> chords;
  std::vector<std::vector<std::pair<int, int>>> notes;
  int beats = 4;
  Mode mode = Mode::kMajor;
  uint32_t extra_end = 0;
  bool flat = false;  // every note at one velocity
  uint32_t late = 0;  // ticks every note comes after its grid step
};

// Two phrases of two measures in C: I V | vi-V I, quarter-note motifs that
// come back varied, long notes at the phrase ends.
Tune GoodTune() {
  Tune t;
  t.chords = {{"I"}, {"V"}, {"vi", "V"}, {"I"}};
  t.notes = {{{64, 4}, {65, 4}, {67, 4}, {65, 4}},
             {{62, 8}, {67, 8}},
             {{69, 4}, {67, 4}, {67, 4}, {65, 4}},
             {{67, 8}, {72, 8}}};
  return t;
}

ReadTrack Build(const Tune& t) {
  TrackBuilder track;
  const uint32_t measure = static_cast<uint32_t>(t.beats * 96);
  for (size_t m = 0; m < t.chords.size(); ++m) {
    const uint32_t start = static_cast<uint32_t>(m) * measure;
    for (size_t c = 0; c < t.chords[m].size(); ++c) {
      const uint32_t length = t.chords[m].size() == 1 ? measure : measure / 2;
      WriteChordNotes(track, start + static_cast<uint32_t>(c) * measure / 2, length,
                      *ParseRomanNumeral(t.chords[m][c], t.mode), 64);
    }
    uint32_t at = start;
    for (size_t i = 0; m < t.notes.size() && i < t.notes[m].size(); ++i) {
      const uint32_t length = static_cast<uint32_t>(t.notes[m][i].second * 24);
      // Played: downbeats lean in, the line softens towards the phrase end.
      const int velocity = t.flat ? 90
                                  : 80 + ((at - start) % 192 == 0 ? 10 : 0) + static_cast<int>(m) +
                                        static_cast<int>(i);
      track.Note(at + t.late, length - 8, 1, t.notes[m][i].first, velocity);
      at += length;
    }
  }
  track.EndAt(static_cast<uint32_t>(t.chords.size()) * measure + t.extra_end);
  return *ReadSmf(track.ToSmf()).track;
}

std::vector<std::string> Lint(const Tune& t, std::vector<long> phrases = {2, 2}) {
  LintReport report;
  LintPhraseFile("tune", Build(t), t.beats, phrases, t.mode, MelodyRules{}, report);
  return report.errors;
}

bool Mentions(const std::vector<std::string>& errors, const std::string& text) {
  for (const auto& e : errors)
    if (e.find(text) != std::string::npos) return true;
  return false;
}

TEST(LintPhraseFile, AComposedTunePasses) {
  EXPECT_EQ(Lint(GoodTune()), std::vector<std::string>{});
}

TEST(LintPhraseFile, EachMusicalFaultIsNamed) {
  struct Case {
    const char* fault;
    std::function<void(Tune&, std::vector<long>&)> spoil;
    const char* expected;
  };
  const Case cases[] = {
      {"catalog length",
       [](Tune&, std::vector<long>& p) {
         p = {2, 3};
       },
       "phrases need"},
      {"leap", [](Tune& t, auto&) { t.notes[0][1].first = 79; }, "leap of"},
      {"strong beats",
       [](Tune& t, auto&) {
         t.notes[0][0].first = 65;
         t.notes[0][2].first = 69;
         t.notes[2][0].first = 65;
         t.notes[2][2].first = 69;
       },
       "chord tones on"},
      {"phrase end", [](Tune& t, auto&) { t.notes[1][1].first = 69; }, "ends on a note outside"},
      {"no tonic close",
       [](Tune& t, auto&) {
         t.chords[3] = {"vi"};
         t.notes[3] = {{69, 8}, {72, 8}};
       },
       "does not close on the tonic"},
      {"missing chord",
       [](Tune& t, std::vector<long>& p) {
         t.chords.push_back({});
         t.notes.push_back({});
         p = {2, 3};
       },
       "no chord at the start of measure 5"},
      {"wrong mood", [](Tune& t, auto&) { t.mode = Mode::kMinor; }, "not in the file's mood"},
      {"literal repeats only",
       [](Tune& t, auto&) {
         t.notes[2] = t.notes[0];
         t.notes[1] = {{62, 8}, {67, 8}};
         t.notes[3] = {{67, 8}, {72, 8}};
         t.notes[1] = t.notes[3];
       },
       "only ever repeat literally"},
      {"range", [](Tune& t, auto&) { t.notes[2][3].first = 86; }, "not singable"},
      {"printed velocities", [](Tune& t, auto&) { t.flat = true; }, "only 1 distinct velocities"},
      {"off the grid", [](Tune& t, auto&) { t.late = 6; }, "6 ticks off the grid"},
  };
  for (const auto& c : cases) {
    Tune t = GoodTune();
    std::vector<long> phrases = {2, 2};
    c.spoil(t, phrases);
    const auto errors = Lint(t, phrases);
    EXPECT_TRUE(Mentions(errors, c.expected)) << c.fault << ": got " << errors.size() << " errors"
                                              << (errors.empty() ? "" : ", first: " + errors[0]);
  }
}

TEST(LintPhraseFile, NotesSungBehindTheBeatAreReadAtTheirGridStep) {
  Tune t = GoodTune();
  t.late = 3;
  EXPECT_EQ(Lint(t), std::vector<std::string>{});
}

TEST(LintPhraseFile, StepwiseShareCountsEveryInterval) {
  Tune t = GoodTune();
  // Arpeggios everywhere: chord tones, but leaps of thirds and fourths.
  t.notes[0] = {{60, 4}, {64, 4}, {67, 4}, {64, 4}};
  t.notes[2] = {{69, 4}, {64, 4}, {67, 4}, {62, 4}};
  t.notes[1] = {{67, 8}, {62, 8}};
  t.notes[3] = {{67, 8}, {60, 8}};
  EXPECT_TRUE(Mentions(Lint(t), "stepwise"));
}

TEST(LintFixedSource, EndingsAndCadencesCloseOnTheTonicOfTheirMood) {
  TrackBuilder track;
  WriteChordNotes(track, 0, 192, Chord{7, ChordType::kSeventh}, 64);
  WriteChordNotes(track, 192, 192, Chord{0, ChordType::kMaj}, 64);
  track.Note(0, 180, 1, 74, 90);
  track.Note(192, 180, 1, 72, 90);
  track.EndAt(384);
  const ReadTrack read = *ReadSmf(track.ToSmf()).track;
  LintReport bright, dark, intro;
  LintFixedSource("chord_mid.dat", read, Mode::kMajor, true, bright);
  LintFixedSource("mchord_mid.dat", read, Mode::kMinor, true, dark);
  LintFixedSource("mI_src_mid.dat", read, Mode::kMinor, false, intro);
  EXPECT_TRUE(bright.ok());
  EXPECT_FALSE(dark.ok());
  EXPECT_TRUE(intro.ok());
}

TEST(ChordSpans, RecognisesEachChangeAndMergesNothingAcrossRestrikes) {
  TrackBuilder track;
  WriteChordNotes(track, 0, 384, Chord{0, ChordType::kMaj}, 64);
  WriteChordNotes(track, 384, 192, Chord{2, ChordType::kMin7}, 64);
  WriteChordNotes(track, 576, 192, Chord{11, ChordType::kDim}, 64);
  const auto spans = ChordSpans(*ReadSmf(track.ToSmf()).track);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[1].start, 384u);
  EXPECT_EQ(spans[1].chord, (Chord{2, ChordType::kMin7}));
  EXPECT_EQ(spans[2].chord, (Chord{11, ChordType::kDim}));
  EXPECT_EQ(ChordAtTick(spans, 700), (Chord{11, ChordType::kDim}));
  EXPECT_FALSE(ChordAtTick(spans, 768));
}

}  // namespace
}  // namespace content
