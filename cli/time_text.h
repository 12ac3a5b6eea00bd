// Strict checks of the times a user types on the command line: a text is a
// time only when it is one in the chosen format and frame rate (fields in
// range, no dropped drop-frame numbers), so a typing slip is refused with the
// accepted form instead of being read as some other time.
//
// Thread rules: pure functions.
#pragma once
#include <string>

#include "song_options.h"

namespace sonavex::cli {

// Empty when `text` is a valid time for `t`; otherwise the reason, naming
// the accepted form (without the argument's name).
std::string CheckTimeText(const std::string& text, const TimeOptions& t);

}  // namespace sonavex::cli
