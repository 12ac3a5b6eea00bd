#include "midi/module_messages.h"

namespace qm3::midi {
namespace {

constexpr uint8_t kHead[6] = {0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13};

ParameterMessage Build(const ParameterAddress& address, const uint8_t* halves, int values) {
  ParameterMessage m;
  size_t i = 0;
  for (uint8_t b : kHead) m.bytes[i++] = b;
  for (uint8_t b : address) m.bytes[i++] = b;
  m.bytes[i++] = 0x00;
  m.bytes[i++] = static_cast<uint8_t>(values);
  for (int k = 0; k < values * 2; ++k) m.bytes[i++] = halves[k] & 0x7F;
  m.bytes[i++] = 0x00;
  m.bytes[i] = ParameterChecksum(m.bytes.data(), i + 2);
  ++i;
  m.bytes[i++] = 0xF7;
  m.size = i;
  return m;
}

}  // namespace

uint8_t ParameterChecksum(const uint8_t* message, size_t size) {
  // The checksum sits two bytes before the end; it covers bytes 1 .. size-3.
  unsigned sum = 0;
  for (size_t i = 1; i + 2 < size; ++i) sum += message[i];
  return static_cast<uint8_t>((0u - sum) & 0x7F);
}

ParameterMessage MakeParameter(const ParameterAddress& address, uint8_t high, uint8_t low) {
  const uint8_t halves[2] = {high, low};
  return Build(address, halves, 1);
}

ParameterMessage MakeParameterByte(const ParameterAddress& address, uint8_t value) {
  return MakeParameter(address, static_cast<uint8_t>(value >> 4), value & 0x0F);
}

ParameterMessage MakeParameter2(const ParameterAddress& address, const uint8_t halves[4]) {
  return Build(address, halves, 2);
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
