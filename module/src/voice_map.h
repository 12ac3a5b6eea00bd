// The module's native voice map: which General MIDI sound of the SoundFont
// plays a native voice (program with bank select coarse and fine), and which
// kit a native drum kit program selects. The voices come from the shared
// voice tables, the same ones the middleware lists.
//
// Thread rules: pure functions over static tables.
#pragma once
#include <cstdint>

#include "midibytes/voices.h"

namespace corvane {

using SoundChoice = midibytes::SoundChoice;

// The sound for a native program change; coarse bank 1 selects drum kits.
inline SoundChoice NativeVoice(uint8_t program, uint8_t bank_coarse, uint8_t bank_fine) {
  return midibytes::NativeSound(program, bank_coarse, bank_fine);
}

}  // namespace corvane
