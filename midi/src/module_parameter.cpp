#include "midibytes/module_parameter.h"

namespace midibytes {

uint8_t ParameterChecksum(const uint8_t* message, size_t size) {
  unsigned sum = 0;
  for (size_t i = 1; i + 2 < size; ++i) sum += message[i];
  return static_cast<uint8_t>((0u - sum) & 0x7F);
}

ParameterMessage BuildParameter(const std::array<uint8_t, 4>& address, const uint8_t* halves,
                                int values) {
  ParameterMessage m;
  if (values != 1 && values != 2) return m;
  size_t i = 0;
  for (uint8_t b : kParameterHeader) m.bytes[i++] = b;
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

ParameterMessage BuildParameter(uint32_t address, const uint8_t* halves, int values) {
  const std::array<uint8_t, 4> bytes = {
      static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
      static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
  return BuildParameter(bytes, halves, values);
}

}  // namespace midibytes
