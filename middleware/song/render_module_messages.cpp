#include "song/render_module_messages.h"

#include <cstddef>

namespace qm3 {

namespace {

template <std::size_t N>
std::array<uint8_t, N> Frame(uint32_t address, uint8_t count) {
  std::array<uint8_t, N> m{};
  const uint8_t head[6] = {0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13};
  for (int i = 0; i < 6; ++i) m[i] = head[i];
  m[6] = static_cast<uint8_t>(address >> 24);
  m[7] = static_cast<uint8_t>(address >> 16);
  m[8] = static_cast<uint8_t>(address >> 8);
  m[9] = static_cast<uint8_t>(address);
  m[10] = 0x00;
  m[11] = count;
  m[N - 1] = 0xF7;
  return m;
}

template <std::size_t N>
void Close(std::array<uint8_t, N>& m) {
  m[N - 3] = 0x00;
  m[N - 2] = ModuleChecksum(m.data(), static_cast<int>(N));
}

}  // namespace

uint8_t ModuleChecksum(const uint8_t* message, int length) {
  unsigned sum = 0;
  for (int i = 1; i < length - 2; ++i) sum += message[i];
  return static_cast<uint8_t>((0u - sum) & 0x7F);
}

ModuleMessage1 ModuleParameter(uint32_t address, uint8_t value) {
  ModuleMessage1 m = Frame<17>(address, 1);
  m[12] = static_cast<uint8_t>(value >> 4);
  m[13] = static_cast<uint8_t>(value & 0x0F);
  Close(m);
  return m;
}

ModuleMessage2 ModuleRhythmSelect(uint8_t a, uint8_t b) {
  ModuleMessage2 m = Frame<19>(kModuleRhythmSelect, 2);
  m[12] = static_cast<uint8_t>(a >> 4);
  m[13] = static_cast<uint8_t>(a & 0x0F);
  m[14] = static_cast<uint8_t>(b & 0x0F);
  m[15] = static_cast<uint8_t>(b >> 4);
  Close(m);
  return m;
}

}  // namespace qm3
