// The native voice map onto the General MIDI SoundFont.
#include "voice_map.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(NativeVoice, MapsVoicesKitsAndUnknownBanks) {
  EXPECT_EQ(NativeVoice(3, 0, 32), (SoundChoice{false, 2}));      // Rock Piano
  EXPECT_EQ(NativeVoice(7, 0, 0), (SoundChoice{false, 10}));      // Music Box
  EXPECT_EQ(NativeVoice(20, 0, 0), (SoundChoice{false, 24}));     // Classical Guitar
  EXPECT_EQ(NativeVoice(40, 0, 32), (SoundChoice{false, 35}));    // Fretless Bass
  EXPECT_EQ(NativeVoice(122, 0, 16), (SoundChoice{false, 115}));  // Wood Block
  // A bank the program lacks takes the nearest lower one of that program.
  EXPECT_EQ(NativeVoice(40, 0, 40), (SoundChoice{false, 35}));
  EXPECT_EQ(NativeVoice(104, 0, 0), (SoundChoice{false, 53}));  // only banks 32, 48 exist
  // A program with no native voice plays the General MIDI one.
  EXPECT_EQ(NativeVoice(19, 0, 0), (SoundChoice{false, 19}));
  // Coarse bank 1 selects the drum kits.
  EXPECT_EQ(NativeVoice(112, 1, 0), (SoundChoice{true, 0}));   // Standard Kit
  EXPECT_EQ(NativeVoice(117, 1, 0), (SoundChoice{true, 40}));  // Brush Kit
  EXPECT_EQ(NativeVoice(5, 1, 0), (SoundChoice{true, 0}));
}

}  // namespace
}  // namespace corvane
