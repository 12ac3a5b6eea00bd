// Shift-JIS text: the middleware stores and passes text in Shift-JIS (code
// page 932); hosts convert to and from UTF-8 here, in one place.
//
// Thread rules: reentrant, allocate, never block.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Bytes that cannot be converted become '?'.
std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);

}  // namespace platform
