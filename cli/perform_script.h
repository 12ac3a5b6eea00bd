// The script of a scripted live run: one "MEASURE BUTTON" line per press,
// checked whole before the run starts.
//
// Thread rules: pure functions; any thread.
#pragma once
#include <string>
#include <vector>

namespace sonavex::cli {

// The real-time window's buttons a script can press.
enum class LiveButton {
  kIntro1,
  kIntro2,
  kIntro3,
  kIntro4,
  kMain1,
  kMain2,
  kMain3,
  kMain4,
  kFill1,
  kFill2,
  kEnding1,
  kEnding2,
  kEnding3,
  kEnding4,
  kFade,
  kStop,
};

struct ScriptPress {
  long measure = 0;  // from 1, the run's first measure
  LiveButton button = LiveButton::kMain1;
  int line = 0;  // where it stands in the file, from 1
};

struct ScriptResult {
  std::vector<ScriptPress> presses;
  std::string error;  // "line N: ..." when the script is refused
};

// Reads a whole script. Blank lines and lines starting with '#' are skipped.
// Refused: an unknown button, a measure that is no whole number from 1 or
// lies before the previous line's, a first line that is not at measure 1 or
// cannot start a run (intro, main or fill), an intro after the start, a
// press after stop, an empty script.
ScriptResult ParseScript(const std::string& text);

// The button's name as scripts write it ("intro1", "main2", "fill1", ...).
const char* ButtonName(LiveButton button);

}  // namespace sonavex::cli
