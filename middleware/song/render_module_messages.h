// The sound module's parameter messages as the song render writes them into
// the song: F0 50 2C 01 2D 13, a 4-byte address, the value count, each value
// as two 4-bit bytes, 00, the checksum and F7.
//
// Thread rules: reentrant; no allocation.
#pragma once
#include <array>
#include <cstdint>

namespace qm3 {

using ModuleMessage1 = std::array<uint8_t, 17>;  // one value
using ModuleMessage2 = std::array<uint8_t, 19>;  // two values

// Addresses the song uses, most significant byte first.
constexpr uint32_t kModuleFirstSetup = 0x00001300;
constexpr uint32_t kModuleRhythmSelect = 0x0A000000;
constexpr uint32_t kModuleSongStart = 0x0A000400;
constexpr uint32_t kModuleVariation = 0x0A000900;
constexpr uint32_t kModuleIntro = 0x0A000A00;
constexpr uint32_t kModuleFillIn = 0x0A000C00;
constexpr uint32_t kModuleEnding = 0x0A000E00;

// (0 - sum of the bytes after F0 up to the 00 before the checksum) AND 7F.
uint8_t ModuleChecksum(const uint8_t* message, int length);

// One value `v` (0..255): value bytes [v >> 4] [v & 0F].
ModuleMessage1 ModuleParameter(uint32_t address, uint8_t value);
// The rhythm selection with two values: [a high] [a low] [b low] [b high].
ModuleMessage2 ModuleRhythmSelect(uint8_t a, uint8_t b);

}  // namespace qm3
