#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>

namespace platform {
namespace {

std::string Convert(const char* to, const char* from, std::string_view in) {
  const bool from_utf8 = std::string_view(from) == "UTF-8";
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  while (src_left > 0) {
    if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
      if (errno == E2BIG) break;
      // Skip one unconvertible character (all its bytes, when the input is
      // UTF-8) and mark it with one '?'.
      ++src;
      --src_left;
      while (from_utf8 && src_left > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) {
        ++src;
        --src_left;
      }
      if (dst_left == 0) break;
      *dst++ = '?';
      --dst_left;
    }
  }
  out.resize(out.size() - dst_left);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Utf8ToSjis(std::string_view utf8) {
  return Convert("CP932", "UTF-8", utf8);
}
std::string SjisToUtf8(std::string_view sjis) {
  return Convert("UTF-8", "CP932", sjis);
}

}  // namespace platform
