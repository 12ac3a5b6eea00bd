// The play-time settings a user gives on the command line, and how they are
// written into the middleware's play-time window values.
//
// Thread rules: main thread only.
#pragma once
#include <string>

#include "host_session.h"

namespace sonavex::cli {

struct TimeOptions {
  std::string fps = "30";           // 24, 25, 29.97, 30
  std::string format = "timecode";  // timecode, frames, feet16, feet35
};

struct SongOptions {
  std::string rhythm;           // name or id; empty: the first rhythm
  std::string melody = "auto";  // auto, name or id
  std::string mood = "bright";  // bright, dark
  std::string intro = "1";      // 1..4, none
  std::string ending = "1";     // 1..4, none
  bool intro_given = false;     // chosen by the user, not the default
  bool ending_given = false;
  int liveliness = 2;              // 0..4
  int tempo_step = 0;              // -3..3 around the rhythm's standard tempo
  std::string start_phrase = "A";  // A, B
  int fade_out = 0;                // seconds 1..9, 0 = none
  std::string start = "";          // in the time format; empty: 0
  std::string end = "";            // in the time format
  double duration = 0;             // seconds, instead of an end time
  TimeOptions time;
};

// Sets the time base and display mode; false (with a message) on bad values.
bool ApplyTimeOptions(HostSession& s, const TimeOptions& t);
// Frames per second of the time option.
double FramesPerSecond(const TimeOptions& t);

// Writes the rhythm, mood and melody; returns the exit status (0 ok).
int ApplyMaterialOptions(HostSession& s, const SongOptions& o);

// Writes every setting; returns the exit status (0 ok). Fit adjustments
// (codes 22 to 24) are printed and accepted; a refusal (21) fails.
int ApplySongOptions(HostSession& s, const SongOptions& o);

}  // namespace sonavex::cli
