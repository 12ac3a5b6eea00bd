#include "text_match.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace sonavex::cli {

std::string FoldForMatch(std::string_view utf8) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* fold = icu::Normalizer2::getNFKCCasefoldInstance(status);
  if (U_FAILURE(status)) return std::string(utf8);
  const icu::UnicodeString in = icu::UnicodeString::fromUTF8(
      icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  const icu::UnicodeString out = fold->normalize(in, status);
  if (U_FAILURE(status)) return std::string(utf8);
  std::string folded;
  out.toUTF8String(folded);
  return folded;
}

bool SameName(std::string_view typed, std::string_view name) {
  return FoldForMatch(typed) == FoldForMatch(name);
}

}  // namespace sonavex::cli
