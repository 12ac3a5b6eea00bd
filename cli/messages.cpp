#include "messages.h"

#include <cstdlib>
#include <string_view>

namespace sonavex::cli {
namespace {

struct EnglishText {
  int code;
  const char* text;
};

// One English text for every code the middleware's table holds.
constexpr EnglishText kEnglish[] = {
    {0, "no error"},
    {1, "the operation failed"},
    {2, "are you sure?"},
    {3, "the recorded data will be erased; are you sure?"},
    {4, "not enough memory"},
    {5, "the file could not be read"},
    {6, "this kind of file is not supported"},
    {7, "part 10 is the drum part; choose a drum sound for it"},
    {8, "not enough disk space"},
    {9, "the Sonavex sound module is not recognised; check its connection and start again"},
    {10,
     "the Sonavex sound module is not recognised; functions that use its hardware may not work. "
     "Go on?"},
    {11, "the file could not be written"},
    {12, "the digital audio device could not be opened"},
    {13, "the MIDI device could not be opened"},
    {14, "drum sounds can be chosen for part 10 only; choose a sound that is not a drum kit"},
    {16, "the song file could not be read (it is of another version)"},
    {17, "the song file could not be read (the file is damaged)"},
    {18, "no range is selected"},
    {20, "the song is too long to be read"},
    {21, "this does not fit in the time; change the start or the end time"},
    {22, "to fit in the time, the intro and ending were changed"},
    {23, "to fit in the time, the start and end times were changed"},
    {24, "to fit in the time, the start and end times, the intro and the ending were changed"},
    {26,
     "songs play correctly only on Corvane USB MIDI OUT 1; set the MIDI output to Corvane USB "
     "MIDI OUT 1"},
};

}  // namespace

Language UserLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    return std::string_view(value).substr(0, 2) == "ja" ? Language::kJapanese : Language::kEnglish;
  }
  return Language::kEnglish;
}

const char* EnglishCodeText(int code) {
  for (const EnglishText& e : kEnglish) {
    if (e.code == code) return e.text;
  }
  return nullptr;
}

std::string CodeMessage(int code, Language language, const std::string& middleware_utf8) {
  if (language == Language::kJapanese && !middleware_utf8.empty()) return middleware_utf8;
  if (const char* english = EnglishCodeText(code)) return english;
  if (!middleware_utf8.empty()) return middleware_utf8;
  return "code " + std::to_string(code);
}

}  // namespace sonavex::cli
