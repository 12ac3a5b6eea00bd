#include <gtest/gtest.h>

#include "harmony.h"
#include "library_writer.h"
#include "melody_composer.h"
#include "png_writer.h"
#include "smf_notes.h"

namespace content {
namespace {

TEST(Harmony, RomanNumeralsFollowTheModeAndTheirSuffixes) {
  EXPECT_EQ(ParseRomanNumeral("I", Mode::kMajor), (Chord{0, ChordType::kMaj}));
  EXPECT_EQ(ParseRomanNumeral("vi", Mode::kMajor), (Chord{9, ChordType::kMin}));
  EXPECT_EQ(ParseRomanNumeral("VI", Mode::kMinor), (Chord{8, ChordType::kMaj}));
  EXPECT_EQ(ParseRomanNumeral("V7", Mode::kMinor), (Chord{7, ChordType::kSeventh}));
  EXPECT_EQ(ParseRomanNumeral("ii7", Mode::kMajor), (Chord{2, ChordType::kMin7}));
  EXPECT_EQ(ParseRomanNumeral("viio", Mode::kMajor), (Chord{11, ChordType::kDim}));
  EXPECT_EQ(ParseRomanNumeral("bVII", Mode::kMajor), (Chord{10, ChordType::kMaj}));
  EXPECT_EQ(ParseRomanNumeral("Imaj7", Mode::kMajor), (Chord{0, ChordType::kMaj7}));
  EXPECT_FALSE(ParseRomanNumeral("IX", Mode::kMajor));
  EXPECT_FALSE(ParseRomanNumeral("V9", Mode::kMajor));
}

TEST(Harmony, NoteNamesAndChordRecognition) {
  EXPECT_EQ(ParseNoteName("C4"), 60);
  EXPECT_EQ(ParseNoteName("F#2"), 42);
  EXPECT_EQ(ParseNoteName("Bb3"), 58);
  EXPECT_EQ(ParseNoteName("Cb4"), 59);
  EXPECT_FALSE(ParseNoteName("H4"));
  EXPECT_FALSE(ParseNoteName("C"));
  EXPECT_EQ(RecogniseChord({55, 59, 62, 65}), (Chord{7, ChordType::kSeventh}));
  EXPECT_EQ(RecogniseChord({50, 53, 57, 60}), (Chord{2, ChordType::kMin7}));
  EXPECT_FALSE(RecogniseChord({60, 61, 62}));
  // Over G major in C minor the leading tone replaces B flat.
  EXPECT_EQ(ScaleFor(Mode::kMinor, Chord{7, ChordType::kMaj}),
            (std::vector<int>{0, 2, 3, 5, 7, 8, 11}));
  EXPECT_EQ(ScaleFor(Mode::kMajor, Chord{10, ChordType::kMaj}),
            (std::vector<int>{0, 2, 4, 5, 7, 9, 10}));
  EXPECT_EQ(ScaleFor(Mode::kMajor, Chord{4, ChordType::kMaj}),
            (std::vector<int>{0, 2, 4, 5, 8, 9, 11}));
}

TEST(MelodySources, MotifsMustFillAMeasureAndSetsMustCloseOnTheTonic) {
  MelodyLibrary library;
  EXPECT_THROW(ParseMotifs(SplitSourceText("motif m 4 4 4 4 | 0 1 1", "m"), library), SourceError);
  EXPECT_THROW(ParseMotifs(SplitSourceText("motif m 4 4 4 4 4 | 0 1 1", "m"), library),
               SourceError);
  ParseMotifs(SplitSourceText("motif a 4 4 4 r4 4 | 0 1 -1\nmotif z 4 16 | 0", "m"), library);
  EXPECT_TRUE(library.motifs.at("a").notes[2].rest);
  ParseProgressions(SplitSourceText("prog p major I V\nprog q major IV V7-I\n"
                                    "prog m minor i V7-i",
                                    "p"),
                    library);
  EXPECT_THROW(ParseMelodies(SplitSourceText("melody 1 \"X\" 4 motifs=a,a,a cadence=z "
                                             "bright=q,p dark=m,m",
                                             "x"),
                             library),
               SourceError);  // ends on V
  ParseMelodies(SplitSourceText("melody 1 \"X\" 4 motifs=a,a,a cadence=z bright=p,q dark=m,m", "x"),
                library);
  EXPECT_EQ(PhraseLengths(library, library.melodies[0].bright), (std::vector<int>{2, 2}));
  EXPECT_THROW(ParseMelodies(SplitSourceText("melody 1 \"Y\" 4 motifs=a,a,a cadence=z "
                                             "bright=p,q dark=m,m",
                                             "x"),
                             library),
               SourceError);  // id used twice
}

TEST(ShippedLibrary, EveryPhraseFileHasTheCatalogsLengthAndEveryPhraseItsPlan) {
  const ContentSources sources = LoadSources(CONTENT_SOURCES_DIR);
  for (const auto& m : sources.melodies.melodies) {
    for (Mode mode : {Mode::kMajor, Mode::kMinor}) {
      const auto lengths =
          PhraseLengths(sources.melodies, mode == Mode::kMajor ? m.bright : m.dark);
      int measures = 0;
      for (int l : lengths) measures += l;
      const auto read = ReadSmf(ComposePhraseSet(sources.melodies, m, mode).ToSmf());
      ASSERT_TRUE(read.track) << m.id;
      EXPECT_EQ(read.track->end_tick, static_cast<uint32_t>(measures * m.beats * 96)) << m.id;
      for (const auto& n : read.track->notes) {
        if (n.channel != 1) continue;
        EXPECT_GE(n.key, kMelodyLowest);
        EXPECT_LE(n.key, kMelodyHighest);
      }
    }
  }
  EXPECT_EQ(PhrasePlan(4, false), (std::vector<std::string>{"a", "a'", "b", "Z"}));
  EXPECT_EQ(PhrasePlan(4, true), (std::vector<std::string>{"b", "b'", "a", "Z"}));
}

TEST(ShippedLibrary, CatalogLinesHaveTheFieldsInTheirTokenOrder) {
  RhythmGroup group{"G", {}};
  RhythmSpec r;
  r.name = "R";
  r.key_a = 1, r.key_b = 4, r.key_c = 16;
  r.intro[0] = 2, r.intro[1] = 4, r.ending[0] = 3, r.ending[1] = 1;
  r.tempo = 116, r.melody = 7, r.beats = 4, r.program = 65, r.bank = 16, r.transpose = -2;
  const int volumes[6] = {110, 100, 104, 92, 84, 80};
  std::copy(volumes, volumes + 6, r.volumes);
  group.rhythms.push_back(r);
  const std::string text = RhythmCatalogText({group});
  EXPECT_NE(text.find("\nG,1\nR,1,4,16,2,3,4,1,116,7,4,65,16,110,-2,100,104,92,84,80\n"),
            std::string::npos);
}

TEST(PngWriter, ChecksumsAndStoredBlocksAreWellFormed) {
  const uint8_t iend[] = {'I', 'E', 'N', 'D'};
  EXPECT_EQ(Crc32(iend, 4), 0xAE426082u);
  const std::string wiki = "Wikipedia";
  EXPECT_EQ(Adler32(std::vector<uint8_t>(wiki.begin(), wiki.end())), 0x11E60398u);
  // 200 x 120 RGB needs two stored blocks.
  const RgbImage image(200, 120, 0x123456);
  const auto png = EncodePng(image);
  ASSERT_GT(png.size(), 72000u);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
  EXPECT_EQ(png[41], 0x78);  // zlib header
  EXPECT_EQ(png[43], 0x00);  // the first stored block is not the last
  EXPECT_EQ(png[44], 0xFF);  // and holds 65535 bytes
  EXPECT_EQ(png[45], 0xFF);
  EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
}

}  // namespace
}  // namespace content
