#include "perform_script.h"

#include <cctype>
#include <sstream>

namespace sonavex::cli {
namespace {

constexpr const char* kNames[] = {"intro1",  "intro2",  "intro3", "intro4", "main1",   "main2",
                                  "main3",   "main4",   "fill1",  "fill2",  "ending1", "ending2",
                                  "ending3", "ending4", "fade",   "stop"};
constexpr long kMaxMeasure = 100000;

bool IsIntro(LiveButton b) {
  return b <= LiveButton::kIntro4;
}
bool StartsRun(LiveButton b) {
  return b <= LiveButton::kFill2;
}

bool ParseMeasure(const std::string& word, long* measure) {
  if (word.empty() || word.size() > 6) return false;
  long value = 0;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxMeasure) return false;
  *measure = value;
  return true;
}

bool ParseButton(const std::string& word, LiveButton* button) {
  for (size_t i = 0; i < std::size(kNames); ++i) {
    if (word == kNames[i]) {
      *button = static_cast<LiveButton>(i);
      return true;
    }
  }
  return false;
}

}  // namespace

const char* ButtonName(LiveButton button) {
  return kNames[static_cast<size_t>(button)];
}

ScriptResult ParseScript(const std::string& text) {
  ScriptResult result;
  std::istringstream in(text);
  std::string raw;
  int line = 0;
  bool stopped = false;
  auto refuse = [&](const std::string& why) {
    result.presses.clear();
    result.error = "line " + std::to_string(line) + ": " + why;
    return result;
  };
  while (std::getline(in, raw)) {
    ++line;
    std::istringstream words(raw);
    std::string first, second, extra;
    if (!(words >> first) || first[0] == '#') continue;
    words >> second >> extra;
    ScriptPress press;
    press.line = line;
    if (!ParseMeasure(first, &press.measure)) {
      return refuse("\"" + first + "\" is not a measure number (1.." + std::to_string(kMaxMeasure) +
                    ")");
    }
    if (second.empty()) return refuse("a button is missing after the measure");
    if (!ParseButton(second, &press.button)) {
      return refuse("unknown button \"" + second +
                    "\" (intro1..4, main1..4, fill1, fill2, ending1..4, fade, stop)");
    }
    if (!extra.empty() && extra[0] != '#') return refuse("unexpected \"" + extra + "\"");
    if (stopped) return refuse(std::string(ButtonName(press.button)) + " after stop");
    if (result.presses.empty()) {
      if (press.measure != 1) return refuse("the first press starts the run: its measure is 1");
      if (!StartsRun(press.button)) {
        return refuse(std::string(ButtonName(press.button)) +
                      " cannot start a run (intro, main or fill can)");
      }
    } else {
      if (press.measure < result.presses.back().measure) {
        return refuse("measure " + std::to_string(press.measure) + " comes before measure " +
                      std::to_string(result.presses.back().measure) + " of line " +
                      std::to_string(result.presses.back().line));
      }
      if (IsIntro(press.button)) return refuse("an intro can only start the run");
    }
    stopped = press.button == LiveButton::kStop;
    result.presses.push_back(press);
  }
  if (result.presses.empty()) {
    line = 0;
    result.error = "the script presses no button";
  }
  return result;
}

}  // namespace sonavex::cli
