#include "midibytes/voices.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace midibytes {
namespace {

TEST(VoiceTables, SizesAndDrumCategories) {
  int native = 0;
  for (const auto& c : NativeVoiceMap()) native += static_cast<int>(c.voices.size());
  EXPECT_EQ(NativeVoiceMap().size(), 11u);
  EXPECT_EQ(native, 260);
  EXPECT_STREQ(NativeVoiceMap()[kNativeDrumCategory].title, "ﾄﾞﾗﾑｷｯﾄ");
  ASSERT_EQ(GmVoiceMap().size(), 17u);
  for (int c = 0; c < 16; ++c) EXPECT_EQ(GmVoiceMap()[c].names.size(), 8u);
  EXPECT_EQ(GmVoiceMap()[kGmDrumCategory].names.size(), 9u);
  EXPECT_STREQ(VoiceName(VoiceMap::kGeneralMidi, kGmStandardKit), "Standard Kit");
  for (const auto& c : NativeVoiceMap()) {
    for (const auto& v : c.voices) EXPECT_LE(std::string(v.name).size(), 16u) << v.name;
  }
}

TEST(VoiceTables, EveryNativeVoiceRoundTripsThroughItsMessages) {
  std::set<std::pair<int, int>> seen;  // (bank * 128 + fine, program)
  const auto map = NativeVoiceMap();
  for (int c = 0; c < static_cast<int>(map.size()); ++c) {
    for (int p = 0; p < static_cast<int>(map[c].voices.size()); ++p) {
      const int32_t id = c * 256 + p;
      const NativeVoice& v = map[c].voices[p];
      const VoiceMessages m = VoiceToMessages(VoiceMap::kNative, c == kNativeDrumCategory, id);
      EXPECT_TRUE(m.bank_select);
      EXPECT_EQ(m.program, v.program);
      EXPECT_EQ(MessagesToVoice(VoiceMap::kNative, false, m.bank, m.fine, m.program), id) << v.name;
      EXPECT_TRUE(seen.insert({m.bank * 128 + m.fine, m.program}).second) << "twice: " << v.name;
      // The software module plays the voice with the sound the table gives it.
      const SoundChoice s = NativeSound(m.program, m.bank, m.fine);
      EXPECT_EQ(s.drums, c == kNativeDrumCategory) << v.name;
      EXPECT_EQ(s.program, v.gm_sound) << v.name;
    }
  }
}

TEST(VoiceTables, EveryGeneralMidiVoiceRoundTripsThroughItsProgram) {
  for (int c = 0; c < 16; ++c) {
    for (int p = 0; p < 8; ++p) {
      const int32_t id = c * 256 + p;
      const VoiceMessages m = VoiceToMessages(VoiceMap::kGeneralMidi, false, id);
      EXPECT_FALSE(m.bank_select);
      EXPECT_EQ(m.program, c * 8 + p);
      EXPECT_EQ(MessagesToVoice(VoiceMap::kGeneralMidi, false, 0, 0, m.program), id);
    }
  }
  for (int p = 0; p < 9; ++p) {
    const VoiceMessages m = VoiceToMessages(VoiceMap::kGeneralMidi, true, kGmStandardKit + p);
    EXPECT_EQ(m.program, kGmKitPrograms[p]);
    EXPECT_EQ(MessagesToVoice(VoiceMap::kGeneralMidi, true, 0, 0, m.program), kGmStandardKit + p);
  }
}

TEST(VoiceTables, KnownConversionsAndFallbacks) {
  // Drum kit programs in the General MIDI map: exact, low bits cleared, none.
  EXPECT_EQ(MessagesToVoice(VoiceMap::kGeneralMidi, true, 0, 0, 25), 0x1004);
  EXPECT_EQ(MessagesToVoice(VoiceMap::kGeneralMidi, true, 0, 0, 26), 0x1003);
  EXPECT_EQ(MessagesToVoice(VoiceMap::kGeneralMidi, true, 0, 0, 1), 0x1000);
  EXPECT_EQ(VoiceToMessages(VoiceMap::kGeneralMidi, false, 0x0305).program, 29);
  const VoiceMessages rock = VoiceToMessages(VoiceMap::kNative, false, 0x0008);
  EXPECT_EQ(std::string(VoiceName(VoiceMap::kNative, 0x0008)), "Rock Piano");
  EXPECT_EQ((std::array<int, 3>{rock.bank, rock.fine, rock.program}),
            (std::array<int, 3>{0, 32, 3}));
  const VoiceMessages kit = VoiceToMessages(VoiceMap::kNative, true, 0x0A00);
  EXPECT_EQ((std::array<int, 3>{kit.bank, kit.fine, kit.program}), (std::array<int, 3>{1, 0, 112}));
  // Unknown identifiers take the nearest lower voice.
  EXPECT_EQ(VoiceToMessages(VoiceMap::kNative, false, 0x0063).program, 115);  // last piano
  EXPECT_FALSE(IsVoice(VoiceMap::kNative, 0x0B00));
  // A bank without a voice of its own falls back to the program in bank 0; a
  // kit program without a kit to the next lower kit.
  EXPECT_EQ(MessagesToVoice(VoiceMap::kNative, false, 0, 48, 0), 0x0000);
  EXPECT_EQ(MessagesToVoice(VoiceMap::kNative, false, 1, 0, 116), 0x0A03);  // Room Kit
  EXPECT_EQ(MessagesToVoice(VoiceMap::kNative, false, 1, 0, 5), 0x0A00);
  // The module's sounds for unlisted banks and kits stay as they were.
  EXPECT_EQ(NativeSound(40, 0, 40), (SoundChoice{false, 35}));
  EXPECT_EQ(NativeSound(104, 0, 0), (SoundChoice{false, 53}));
  EXPECT_EQ(NativeSound(19, 0, 0), (SoundChoice{false, 19}));
  EXPECT_EQ(NativeSound(116, 1, 0), (SoundChoice{true, 0}));
}

}  // namespace
}  // namespace midibytes
