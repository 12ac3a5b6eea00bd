// The module's native voice map: which General MIDI sound of the SoundFont
// plays a native voice (program with bank select coarse and fine), and which
// kit a native drum kit program selects.
//
// Thread rules: pure functions over static tables.
#pragma once
#include <cstdint>

namespace corvane {

struct SoundChoice {
  bool drums = false;  // a drum kit (SoundFont bank 128)
  uint8_t program = 0;
  friend bool operator==(const SoundChoice&, const SoundChoice&) = default;
};

// The sound for a native program change; coarse bank 1 selects drum kits.
SoundChoice NativeVoice(uint8_t program, uint8_t bank_coarse, uint8_t bank_fine);

}  // namespace corvane
