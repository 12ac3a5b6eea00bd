// Arbitrary bytes as the driver's setup information file: the parser looks
// for the first well-formed hardware identifier and never reads past the
// text it is given.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "setup_information.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so a read past the end is caught.
  std::unique_ptr<char[]> text(new char[size]);
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(data[i]);
  const auto id = cvusb::ParseSetupInformation(text.get(), size);
  // "USB\\VID_xxxx&PID_xxxx" is the shortest identifier found.
  if (id && size < 21) __builtin_trap();
  return 0;
}
