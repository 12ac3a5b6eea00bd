#include "module_protocol.h"

#include <cstring>

#include "midibytes/module_parameter.h"

namespace corvane {
namespace {

constexpr uint8_t kGmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr uint8_t kGmOff[] = {0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7};
constexpr uint8_t kGsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

using midibytes::kParameterHeader;
constexpr size_t kOneValueLength = midibytes::kParameterOneValueSize;
constexpr size_t kTwoValueLength = midibytes::kParameterTwoValueSize;

bool Equals(const uint8_t* msg, size_t len, const uint8_t* want, size_t want_len) {
  return len == want_len && std::memcmp(msg, want, len) == 0;
}

uint32_t Address(const uint8_t* a) {
  return uint32_t{a[0]} << 24 | uint32_t{a[1]} << 16 | uint32_t{a[2]} << 8 | a[3];
}

ModuleCommand OneValueCommand(uint32_t address, int v) {
  switch (address) {
    case 0x007F0400:
      return {CommandKind::kInitialise, v};
    case 0x00001300:
      return {CommandKind::kSetupStart, v};
    case 0x01000000:
      return {CommandKind::kMainVolume, v > 127 ? 127 : v};
    case 0x0A000200:
      return {CommandKind::kPlayMode, v};
    case 0x00400000:
      return {CommandKind::kRunSwitch, v};
    case 0x0A000400:
      return {CommandKind::kSongStart, v};
    case 0x0A000900:
      return {CommandKind::kVariation, v};
    case 0x0A000A00:
      return {CommandKind::kIntro, v};
    case 0x0A000C00:
      return {CommandKind::kFill, v};
    case 0x0A000E00:
      return {CommandKind::kEnding, v};
    default:
      return {};
  }
}

ModuleCommand ParseParameter(const uint8_t* msg, size_t len) {
  if (len != kOneValueLength && len != kTwoValueLength) return {};
  if (std::memcmp(msg, kParameterHeader.data(), kParameterHeader.size()) != 0) return {};
  if (msg[len - 1] != 0xF7 || msg[len - 3] != 0x00) return {};
  if (midibytes::ParameterChecksum(msg, len) != msg[len - 2]) return {};
  const int count = msg[10] << 7 | msg[11];
  if (count != (len == kOneValueLength ? 1 : 2)) return {};
  const uint8_t* v = msg + 12;
  for (int i = 0; i < 2 * count; ++i) {
    if (v[i] > 0x0F) return {};  // each value byte holds 4 bits
  }
  const uint32_t address = Address(msg + 6);
  if (count == 1) return OneValueCommand(address, v[0] << 4 | v[1]);
  // Two values: the first high half first, the second low half first.
  if (address != 0x0A000000) return {};
  return {CommandKind::kRhythmSelect, v[0] << 4 | v[1], v[3] << 4 | v[2]};
}

}  // namespace

ModuleCommand ParseSystemExclusive(const uint8_t* msg, size_t len) {
  if (len < 2 || msg[0] != 0xF0 || msg[len - 1] != 0xF7) return {};
  if (Equals(msg, len, kGmOn, sizeof kGmOn)) return {CommandKind::kGmOn};
  if (Equals(msg, len, kGmOff, sizeof kGmOff)) return {CommandKind::kGmOff};
  if (Equals(msg, len, kGsReset, sizeof kGsReset)) return {CommandKind::kGsReset};
  if (len == 6 && msg[1] == 0x50 && msg[2] == 0x25) {
    if (msg[3] > 0x0F) return {};
    const int bpm = msg[3] | msg[4] << 4;
    if (bpm == 0) return {};  // no tempo to run at: keep the previous one
    return {CommandKind::kClockTempo, bpm};
  }
  return ParseParameter(msg, len);
}

}  // namespace corvane
