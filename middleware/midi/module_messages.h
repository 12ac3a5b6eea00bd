// The sound module's message formats: its parameter message (with the
// checksum the module checks), the sound-set resets, and the channel reset
// and transpose messages. Pure byte builders, the one source of these bytes
// for what is sent (module_sender.h) and what the song render writes into
// the song.
//
// Thread rules: reentrant, no allocation, no locking; safe on device threads.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "midibytes/module_parameter.h"

namespace qm3::midi {

// A parameter message (its format lives in the MIDI-bytes library).
using midibytes::ParameterMessage;

using ParameterAddress = std::array<uint8_t, 4>;

inline constexpr ParameterAddress kAddrModuleInit = {0x00, 0x7F, 0x04, 0x00};
inline constexpr ParameterAddress kAddrMainVolume = {0x01, 0x00, 0x00, 0x00};
inline constexpr ParameterAddress kAddrPlayMode = {0x0A, 0x00, 0x02, 0x00};
inline constexpr ParameterAddress kAddrRunSwitch = {0x00, 0x40, 0x00, 0x00};
inline constexpr ParameterAddress kAddrRhythmSetup = {0x0A, 0x00, 0x00, 0x00};
// What the rendered song carries: the first set-up at its start and the
// song start on its first beat.
inline constexpr ParameterAddress kAddrFirstSetup = {0x00, 0x00, 0x13, 0x00};
inline constexpr ParameterAddress kAddrSongStart = {0x0A, 0x00, 0x04, 0x00};
// Rhythm sections of a live run: variation, intro, fill-in (also intros 3
// and 4, endings 3 and 4 and the fill-in reset), ending.
inline constexpr ParameterAddress kAddrVariation = {0x0A, 0x00, 0x09, 0x00};
inline constexpr ParameterAddress kAddrIntro = {0x0A, 0x00, 0x0A, 0x00};
inline constexpr ParameterAddress kAddrFillIn = {0x0A, 0x00, 0x0C, 0x00};
inline constexpr ParameterAddress kAddrEnding = {0x0A, 0x00, 0x0E, 0x00};

// One value given as its two 4-bit halves.
ParameterMessage MakeParameter(const ParameterAddress& address, uint8_t high, uint8_t low);
// One value (0..255) as [v >> 4] [v & 0F].
ParameterMessage MakeParameterByte(const ParameterAddress& address, uint8_t value);
// Two values given as four halves, in the order they travel.
ParameterMessage MakeParameter2(const ParameterAddress& address, const uint8_t halves[4]);

ParameterMessage MakeModuleInit();
ParameterMessage MakeMainVolume(uint8_t volume);  // value bytes [v >> 4] [v & 0F]
ParameterMessage MakePlayMode(uint8_t mode);      // value bytes 00 [mode]
ParameterMessage MakeRunSwitch(bool closing);     // 00 00 opening, 00 01 closing
// a and b are the rhythm's key b and key c: [a hi][a lo][b lo][b hi].
ParameterMessage MakeRhythmSetup(uint8_t a, uint8_t b);

// F0 50 25 [t & 0F] [t >> 4] F7, t in beats per minute.
std::array<uint8_t, 6> MakeClockTempo(uint8_t bpm);

inline constexpr std::array<uint8_t, 6> kGmSystemOff = {0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7};
inline constexpr std::array<uint8_t, 6> kGmSystemOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
inline constexpr std::array<uint8_t, 11> kGsReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40,
                                                     0x00, 0x7F, 0x00, 0x41, 0xF7};

// Control 0x0601 (0..10) to the module's 0..127 main volume.
// A host may widen the control's range: any value is clamped first, so the
// product cannot overflow.
inline uint8_t MainVolumeFromControl(int32_t value) {
  if (value < 0) value = 0;
  if (value > 10) value = 10;
  return static_cast<uint8_t>(value * 127 / 10);
}

// Short messages packed as the output layer takes them (status in the low byte).
inline uint32_t ShortMessage(uint8_t status, uint8_t d1, uint8_t d2) {
  return static_cast<uint32_t>(status) | (static_cast<uint32_t>(d1) << 8) |
         (static_cast<uint32_t>(d2) << 16);
}

}  // namespace qm3::midi
