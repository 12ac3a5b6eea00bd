#include "port_name.h"

#include <cstdio>

namespace cvusb {

void WritePortName(platform::WCHAR (&name)[platform::MAXPNAMELEN], const char* format,
                   unsigned number) {
  char ascii[platform::MAXPNAMELEN] = {};
  std::snprintf(ascii, sizeof(ascii), format, number);
  for (unsigned i = 0; i < platform::MAXPNAMELEN; ++i) {
    name[i] = static_cast<platform::WCHAR>(static_cast<unsigned char>(ascii[i]));
  }
  name[platform::MAXPNAMELEN - 1] = 0;
}

}  // namespace cvusb
