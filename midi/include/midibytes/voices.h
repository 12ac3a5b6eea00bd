// Voice tables and voice identifiers. The native map lists the sound
// module's own voices in 11 categories (the drum kits last), the General MIDI
// map the 16 instrument families and a category of 9 drum kits. A voice
// identifier is category * 256 + position in the category, both from 0.
// Conversions go between an identifier and the bank select / program change
// a file carries, both ways; NativeSound tells which General MIDI sound the
// software module plays for a native bank and program.
//
// Thread rules: pure functions over constant tables; no allocation.
#pragma once
#include <cstdint>
#include <span>

namespace midibytes {

struct NativeVoice {
  const char* name;  // without the display padding
  uint8_t program;
  uint8_t bank;      // bank select (controller 0)
  uint8_t fine;      // bank select fine (controller 32)
  uint8_t gm_sound;  // General MIDI program (a kit program for drum kits)
};

struct NativeCategory {
  const char* title;  // UTF-8
  std::span<const NativeVoice> voices;
};

struct GmCategory {
  const char* title;  // UTF-8
  std::span<const char* const> names;
};

inline constexpr int kNativeDrumCategory = 10;
inline constexpr int kGmDrumCategory = 16;
inline constexpr int32_t kGmStandardKit = kGmDrumCategory * 256;
// Programs of the General MIDI drum kits, in the order of their category.
inline constexpr uint8_t kGmKitPrograms[9] = {0, 8, 16, 24, 25, 32, 40, 48, 56};

std::span<const NativeCategory> NativeVoiceMap();
std::span<const GmCategory> GmVoiceMap();

enum class VoiceMap { kNative, kGeneralMidi };

inline int VoiceCategory(int32_t id) {
  return (id >> 8) & 0xFF;
}
int DrumCategory(VoiceMap map);

// Whether the identifier names a voice of the map.
bool IsVoice(VoiceMap map, int32_t id);
// Name of a voice (UTF-8), nullptr for an unknown identifier.
const char* VoiceName(VoiceMap map, int32_t id);

struct VoiceMessages {
  bool bank_select = false;  // native map: write controllers 0 and 32 first
  uint8_t bank = 0;
  uint8_t fine = 0;
  uint8_t program = 0;
};

// The messages that select a voice on a part. An identifier that names no
// voice takes the nearest lower one that does.
VoiceMessages VoiceToMessages(VoiceMap map, bool drum_part, int32_t id);

// The voice a part's bank select and program change select.
int32_t MessagesToVoice(VoiceMap map, bool drum_part, uint8_t bank, uint8_t fine, uint8_t program);

struct SoundChoice {
  bool drums = false;  // a drum kit (SoundFont bank 128)
  uint8_t program = 0;
  friend bool operator==(const SoundChoice&, const SoundChoice&) = default;
};

// The General MIDI sound the software module plays for a native program
// change; bank select 1 or more selects the drum kits.
SoundChoice NativeSound(uint8_t program, uint8_t bank, uint8_t fine);

}  // namespace midibytes
