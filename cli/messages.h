// The texts sonavex-cli shows for the middleware's return codes, in the
// user's language: under a Japanese locale the middleware's own texts (its
// interface), otherwise the English texts of this table.
//
// Thread rules: pure functions; any thread.
#pragma once
#include <string>

namespace sonavex::cli {

enum class Language { kEnglish, kJapanese };

// The language of messages, from LC_ALL, LC_MESSAGES, then LANG (the first
// that is set decides, as for any program's messages).
Language UserLanguage();

// The English text of a return code; nullptr for a number without one.
const char* EnglishCodeText(int code);

// The text to show for `code`: `middleware_utf8` (the middleware's text,
// converted) under Japanese, the English text otherwise; a code unknown to
// both becomes "code N".
std::string CodeMessage(int code, Language language, const std::string& middleware_utf8);

}  // namespace sonavex::cli
