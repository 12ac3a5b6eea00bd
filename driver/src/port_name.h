// Port names for the capability records, which carry UTF-16 text.
//
// Thread rules: pure function; no allocation.
#pragma once
#include "platform/mmddk.h"

namespace cvusb {

// Formats `format` (ASCII, one %u) with `number` into a record's name field
// of MAXPNAMELEN characters, cut to fit and zero-terminated.
void WritePortName(platform::WCHAR (&name)[platform::MAXPNAMELEN], const char* format,
                   unsigned number);

}  // namespace cvusb
