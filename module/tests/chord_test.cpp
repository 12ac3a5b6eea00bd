// Chord recognition and the part rules that move pattern notes.
#include "chord.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

std::optional<Chord> Held(std::initializer_list<int> keys) {
  std::array<uint8_t, 128> held{};
  for (int k : keys) ++held[k];
  return RecogniseChord(held);
}

TEST(RecogniseChord, KnowsEveryChordTypeInAnyVoicing) {
  EXPECT_EQ(Held({60, 64, 67}), (Chord{0, ChordType::kMajor}));
  EXPECT_EQ(Held({64, 67, 72}), (Chord{0, ChordType::kMajor}));  // first inversion
  EXPECT_EQ(Held({57, 60, 64}), (Chord{9, ChordType::kMinor}));
  EXPECT_EQ(Held({55, 59, 62, 65}), (Chord{7, ChordType::kSeventh}));
  EXPECT_EQ(Held({53, 57, 60, 64}), (Chord{5, ChordType::kMajorSeventh}));
  EXPECT_EQ(Held({50, 53, 57, 60}), (Chord{2, ChordType::kMinorSeventh}));
  EXPECT_EQ(Held({59, 62, 65}), (Chord{11, ChordType::kDiminished}));
  // Augmented is symmetric: the lowest note names it.
  EXPECT_EQ(Held({56, 60, 64}), (Chord{8, ChordType::kAugmented}));
  EXPECT_EQ(Held({60, 65, 67}), (Chord{0, ChordType::kSuspendedFourth}));
  EXPECT_EQ(Held({48, 60, 64, 67, 76}), (Chord{0, ChordType::kMajor}));  // doubled tones
}

TEST(RecogniseChord, NothingForSetsThatAreNoKnownChord) {
  EXPECT_FALSE(Held({}));
  EXPECT_FALSE(Held({60}));
  EXPECT_FALSE(Held({60, 64}));
  EXPECT_FALSE(Held({60, 61, 62}));
  EXPECT_FALSE(Held({60, 62, 64, 67}));  // an added ninth is not in the set
}

TEST(MoveNote, EachRuleFitsThePatternToTheChord) {
  const Chord c{0, ChordType::kMajor};
  const Chord am{9, ChordType::kMinor};
  const Chord g7{7, ChordType::kSeventh};
  const Chord fm{5, ChordType::kMinor};
  // Chord: the nearest chord tone, a tie going up.
  EXPECT_EQ(MoveNote(67, PartRule::kChord, c, am, 48, 84), 69);
  EXPECT_EQ(MoveNote(64, PartRule::kChord, c, am, 48, 84), 64);
  EXPECT_EQ(MoveNote(60, PartRule::kChord, c, g7, 48, 84), 59);
  EXPECT_EQ(MoveNote(64, PartRule::kChord, c, fm, 48, 84), 65);
  // Bass: root interval the short way, with the third and fifth the chord's.
  EXPECT_EQ(MoveNote(36, PartRule::kBass, c, am, 28, 55), 33);
  EXPECT_EQ(MoveNote(40, PartRule::kBass, c, am, 28, 55), 36);  // E (third) -> C
  EXPECT_EQ(MoveNote(43, PartRule::kBass, c, am, 28, 55), 40);
  EXPECT_EQ(MoveNote(40, PartRule::kBass, c, fm, 28, 55), 44);  // third -> A flat
  EXPECT_EQ(MoveNote(38, PartRule::kBass, c, g7, 28, 55), 33);  // D, no degree: moved down a fifth
  // Scale: moved by the root interval and folded into range.
  EXPECT_EQ(MoveNote(62, PartRule::kScale, c, g7, 48, 84), 57);
  EXPECT_EQ(MoveNote(84, PartRule::kScale, c, Chord{2, ChordType::kMajor}, 48, 84), 74);
  // Fixed never moves, and a bad range keeps notes in MIDI range.
  EXPECT_EQ(MoveNote(38, PartRule::kFixed, c, am, 0, 127), 38);
  EXPECT_EQ(MoveNote(127, PartRule::kScale, c, Chord{2, ChordType::kMajor}, 90, 10), 117);
}

}  // namespace
}  // namespace corvane
