#include "midi/module_messages.h"

namespace qm3::midi {

ParameterMessage MakeParameter(const ParameterAddress& address, uint8_t high, uint8_t low) {
  const uint8_t halves[2] = {high, low};
  return midibytes::BuildParameter(address, halves, 1);
}

ParameterMessage MakeParameterByte(const ParameterAddress& address, uint8_t value) {
  return MakeParameter(address, static_cast<uint8_t>(value >> 4), value & 0x0F);
}

ParameterMessage MakeParameter2(const ParameterAddress& address, const uint8_t halves[4]) {
  return midibytes::BuildParameter(address, halves, 2);
}

ParameterMessage MakeModuleInit() {
  return MakeParameter(kAddrModuleInit, 0x00, 0x00);
}

ParameterMessage MakeMainVolume(uint8_t volume) {
  return MakeParameterByte(kAddrMainVolume, volume);
}

ParameterMessage MakePlayMode(uint8_t mode) {
  return MakeParameter(kAddrPlayMode, 0x00, mode);
}

ParameterMessage MakeRunSwitch(bool closing) {
  return MakeParameter(kAddrRunSwitch, 0x00, closing ? 0x01 : 0x00);
}

ParameterMessage MakeRhythmSetup(uint8_t a, uint8_t b) {
  const uint8_t halves[4] = {static_cast<uint8_t>(a >> 4), static_cast<uint8_t>(a & 0x0F),
                             static_cast<uint8_t>(b & 0x0F), static_cast<uint8_t>(b >> 4)};
  return MakeParameter2(kAddrRhythmSetup, halves);
}

std::array<uint8_t, 6> MakeClockTempo(uint8_t bpm) {
  return {0xF0, 0x50, 0x25, static_cast<uint8_t>(bpm & 0x0F), static_cast<uint8_t>(bpm >> 4), 0xF7};
}

}  // namespace qm3::midi
