#include "song_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "catalog_view.h"
#include "exit_codes.h"
#include "qm3middle_ids.h"
#include "time_text.h"

namespace sonavex::cli {
namespace {

bool Fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return false;
}

// A section choice: "1".."4" -> 0..3, "none" -> 4.
bool SectionChoice(const std::string& text, const char* what, long* value) {
  if (text == "none") {
    *value = 4;
    return true;
  }
  if (text.size() == 1 && text[0] >= '1' && text[0] <= '4') {
    *value = text[0] - '1';
    return true;
  }
  return Fail(std::string(what) + " must be 1, 2, 3, 4 or none (got \"" + text + "\")");
}

// Writes one setting; adjustments by the fit check are reported, refusals fail.
bool Write(HostSession& s, long id, long value, const char* what) {
  const int rc = s.Set(id, value);
  if (rc == 0) return true;
  if (rc >= 22 && rc <= 24) {
    std::printf("note: %s (code %d)\n", s.CodeText(rc).c_str(), rc);
    return true;
  }
  Report(s, rc, what);
  return false;
}

// Parses a typed time strictly; false (with a message) when it is not one.
bool ParseTime(HostSession& s, const TimeOptions& t, const char* what, const std::string& text,
               long* value) {
  const std::string reason = CheckTimeText(text, t);
  if (!reason.empty()) return Fail(std::string(what) + ": \"" + text + "\" is " + reason);
  if (s.Parse(QM3_ID_START_TIME, text, value) != 0 || *value < 0) {
    return Fail(std::string(what) + ": \"" + text + "\" is not a time");
  }
  return true;
}

// Writes the span; a span the rhythm cannot fill as asked is refused with
// the nearest one it can (the fit check moves the times to it).
bool WriteSpan(HostSession& s, long start, long end) {
  const auto shown = [&](long v) { return s.Show(QM3_ID_START_TIME, v); };
  for (const auto& [id, value, what] : {std::tuple{QM3_ID_START_TIME, start, "--start"},
                                        std::tuple{QM3_ID_END_TIME, end, "--end/--duration"}}) {
    const int rc = s.Set(id, value);
    if (rc != 0 && (rc < 22 || rc > 24)) {
      Report(s, rc, what);
      return false;
    }
    if (s.Get(id) == value || rc != 0) continue;
    return Fail(std::string(what) + ": " + shown(value) + " is past the latest time (" +
                shown(1079999) + ")");
  }
  const long got_start = s.Get(QM3_ID_START_TIME), got_end = s.Get(QM3_ID_END_TIME);
  if (got_start == start && got_end == end) return true;
  const long asked = end - start, can = got_end - got_start;
  if (can < asked) {
    return Fail("a span of " + shown(asked) + " is longer than this rhythm can fill (" +
                "998 measures); the longest is " + shown(can));
  }
  if (can > asked) {
    return Fail("a span of " + shown(asked) + " is shorter than two measures of this rhythm; " +
                "the shortest is " + shown(can));
  }
  return Fail("the span must start by " + shown(got_start) + " to end by the latest time");
}

// Writes a section choice. One the user gave must fit; the default that
// does not fit gives way to a shorter one, then to none, with a note.
bool WriteSection(HostSession& s, long id, long value, bool given, const char* what) {
  int rc = s.Set(id, value);
  if (rc == 21 && !given) {
    for (long other : {2L, 4L}) {  // intro/ending 3 (one measure), then none
      if (other == value) continue;
      rc = s.Set(id, other);
      if (rc != 21) {
        std::printf("note: %s %s does not fit the span; using %s\n", what + 2,
                    value == 4 ? "none" : std::to_string(value + 1).c_str(),
                    other == 4 ? "none" : std::to_string(other + 1).c_str());
        break;
      }
    }
  }
  if (rc == 21) {
    return Fail(std::string(what) + " " + (value == 4 ? "none" : std::to_string(value + 1)) +
                " does not fit the span with the other section; choose a shorter one (3, 4 or " +
                "none) or a longer span");
  }
  if (rc != 0 && (rc < 22 || rc > 24)) {
    Report(s, rc, what);
    return false;
  }
  if (rc != 0) std::printf("note: %s (code %d)\n", s.CodeText(rc).c_str(), rc);
  return true;
}

}  // namespace

double FramesPerSecond(const TimeOptions& t) {
  return t.fps == "24" ? 24.0 : t.fps == "25" ? 25.0 : t.fps == "29.97" ? 29.97 : 30.0;
}

bool ApplyTimeOptions(HostSession& s, const TimeOptions& t) {
  long base = 0;
  if (t.fps == "24") {
    base = 0;
  } else if (t.fps == "25") {
    base = 1;
  } else if (t.fps == "29.97") {
    base = 2;
  } else if (t.fps == "30") {
    base = 3;
  } else {
    return Fail("--fps must be 24, 25, 29.97 or 30 (got \"" + t.fps + "\")");
  }
  long mode = 0;
  if (t.format == "timecode") {
    mode = base;  // time codes at the time base's rate
  } else if (t.format == "frames") {
    mode = 4;
  } else if (t.format == "feet16") {
    mode = 5;
  } else if (t.format == "feet35") {
    mode = 6;
  } else {
    return Fail("--time-format must be timecode, frames, feet16 or feet35 (got \"" + t.format +
                "\")");
  }
  return s.Set(QM3_ID_TIME_BASE, base) == 0 && s.Set(QM3_ID_TIME_DISPLAY_MODE, mode) == 0;
}

int ApplyMaterialOptions(HostSession& s, const SongOptions& o) {
  CatalogView catalog(s);
  const RhythmEntry* rhythm =
      o.rhythm.empty() ? catalog.FirstRhythm() : catalog.FindRhythm(o.rhythm);
  if (rhythm == nullptr) {
    return Fail("--rhythm: no rhythm with the id or name \"" + o.rhythm +
                "\" (see: sonavex-cli list rhythms)"),
           kExitUsage;
  }
  if (!Write(s, QM3_ID_RHYTHM, rhythm->id, "--rhythm")) return 1;
  if (o.mood != "bright" && o.mood != "dark") {
    return Fail("--mood must be bright or dark (got \"" + o.mood + "\")"), 2;
  }
  if (!Write(s, QM3_ID_MOOD, o.mood == "dark" ? 1 : 0, "--mood")) return 1;
  if (o.melody == "auto") {
    if (!Write(s, QM3_ID_MELODY_CHOICE, 0, "--melody")) return 1;
  } else {
    const int index = catalog.FindMelody(o.melody);
    if (index < 0) {
      return Fail("--melody: no melody with the catalog number, list index or name \"" + o.melody +
                  "\"; give auto or one of those (see: sonavex-cli list melodies)"),
             kExitUsage;
    }
    if (!Write(s, QM3_ID_MELODY_CHOICE, 1, "--melody") ||
        !Write(s, QM3_ID_USER_MELODY, index, "--melody")) {
      return 1;
    }
  }
  return 0;
}

int ApplySongOptions(HostSession& s, const SongOptions& o) {
  if (int rc = ApplyMaterialOptions(s, o); rc != 0) return rc;
  if (o.start_phrase != "A" && o.start_phrase != "B") {
    return Fail("--start-phrase must be A or B (got \"" + o.start_phrase + "\")"), 2;
  }
  if (o.start_phrase == "B" && !Write(s, QM3_ID_START_PHRASE, 1, "--start-phrase")) return 1;
  if (o.liveliness < 0 || o.liveliness > 4) return Fail("--liveliness must be 0..4"), 2;
  if (!Write(s, QM3_ID_LIVELINESS, o.liveliness, "--liveliness")) return 1;
  if (o.tempo_step < -3 || o.tempo_step > 3) return Fail("--tempo-step must be -3..3"), 2;
  if (!Write(s, QM3_ID_TEMPO_SLIDER, 3 + o.tempo_step, "--tempo-step")) return 1;
  if (o.fade_out < 0 || o.fade_out > 9) return Fail("--fade-out must be 0..9 seconds"), 2;
  if (!Write(s, QM3_ID_FADE_OUT, o.fade_out > 0 ? 1 : 0, "--fade-out")) return 1;
  if (o.fade_out > 0 && !Write(s, QM3_ID_FADE_OUT_SECONDS, o.fade_out, "--fade-out")) return 1;

  if (!ApplyTimeOptions(s, o.time)) return 2;
  long start = 0;
  if (!o.start.empty() && !ParseTime(s, o.time, "--start", o.start, &start)) return 2;
  long end = 0;
  if (o.duration > 0) {
    end = start + std::lround(o.duration * FramesPerSecond(o.time));
  } else if (o.end.empty()) {
    return Fail("--end (a time in the chosen format) or --duration (seconds) is needed"), 2;
  } else if (!ParseTime(s, o.time, "--end", o.end, &end)) {
    return 2;
  }
  if (end <= start) return Fail("the end time must lie after the start time"), 2;
  long intro = 0, ending = 0;
  if (!SectionChoice(o.intro, "--intro", &intro) || !SectionChoice(o.ending, "--ending", &ending)) {
    return 2;
  }
  // Times first, then the sections. No sections while the times are
  // written, so a short span is judged by itself.
  if (s.Set(QM3_ID_INTRO, 4) > 24 || s.Set(QM3_ID_ENDING, 4) > 24) return 1;
  if (!WriteSpan(s, start, end)) return 2;
  if (!WriteSection(s, QM3_ID_INTRO, intro, o.intro_given, "--intro") ||
      !WriteSection(s, QM3_ID_ENDING, ending, o.ending_given, "--ending")) {
    return 2;
  }
  return 0;
}

}  // namespace sonavex::cli
