// perform: a live run on the real-time window, its buttons pressed by a
// script (on the virtual clock, faster than real time) or by keys on a
// terminal (on the real clock, with sound); the recording becomes a song.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "commands.h"
#include "output_check.h"
#include "perform_script.h"
#include "qm3middle.h"
#include "qm3middle_ids.h"

namespace sonavex::cli {
namespace {

constexpr unsigned kScriptPollMs = 5;
constexpr unsigned kLivePollMs = 20;

bool IsIntro(LiveButton b) {
  return b <= LiveButton::kIntro4;
}

// The write a button press is: the window's buttons, the fade-out button,
// and for stop the record switch, which ends the run at the bar line.
int Press(HostSession& s, LiveButton b) {
  const int i = static_cast<int>(b);
  if (IsIntro(b)) return s.Set(QM3_ID_INTRO_BUTTON(i + 1), 1);
  if (b <= LiveButton::kMain4) return s.Set(QM3_ID_VARIATION_BUTTON(i - 3), 1);
  if (b <= LiveButton::kFill2) return s.Set(QM3_ID_FILL_IN_BUTTON(i - 7), 1);
  if (b <= LiveButton::kEnding4)
    return s.Set(QM3_ID_INTRO_BUTTON(i - 9), 1);  // endings while running
  if (b == LiveButton::kFade) return s.Set(QM3_ID_FADE_OUT_BUTTON, 1);
  return s.Set(QM3_ID_RECORD_BUTTON, 0);
}

long MeasureTicks(HostSession& s) {
  long one = 1, ticks = 0;
  s.Process(QM3_PROC_MEAS2TICK, &one, &ticks);
  return ticks > 0 ? ticks : 384;
}

// The run's state as the window shows it: the measure playing and the lamps.
struct RunView {
  long measure = 0;  // from 1
  unsigned lamps = 0;
};

RunView View(HostSession& s, long measure_ticks) {
  RunView v;
  v.measure = s.Get(QM3_ID_SONG_LENGTH) / measure_ticks + 1;
  for (int i = 0; i < 10; ++i) v.lamps |= (s.Get(QM3_ID_FIRST_LAMP + 2 * i) != 0 ? 1u : 0u) << i;
  return v;
}

void PrintRecording(HostSession& s) {
  long a = 0, b = 0;
  if (s.Process(QM3_PROC_GET_LIVE_RECORDING, &a, &b) != 0 || a == 0) return;
  const auto* rec = reinterpret_cast<const QM3LiveRecording*>(a);
  for (int i = 0; i < rec->nCount; ++i) {
    std::printf("%d %d %d\n", i + 1, rec->pSections[i], rec->pVariations[i]);
  }
}

int RecordedCount(HostSession& s) {
  long a = 0, b = 0;
  if (s.Process(QM3_PROC_GET_LIVE_RECORDING, &a, &b) != 0 || a == 0) return 0;
  return reinterpret_cast<const QM3LiveRecording*>(a)->nCount;
}

// How a run's loop ended.
enum class RunEnd { kDone, kInputLost, kFailed };

// Closes the run after the middleware asked for stop (the run ended by
// itself, or its input went away).
RunEnd CloseRun(HostSession& s) {
  const int rc = s.Set(QM3_ID_STOP, 0);
  if (rc == 0) return RunEnd::kDone;
  std::fprintf(stderr,
               "error: the sound module's MIDI input went away during the run (%s); the %d "
               "measures recorded until then are kept\n",
               s.CodeText(rc).c_str(), RecordedCount(s));
  return RunEnd::kInputLost;
}

// Takes the run's notifications: names the source files its material could
// not read, and says whether the run has stopped.
bool StopAsked(HostSession& s) {
  bool stop = false;
  for (long id : s.Drain()) {
    if (id == QM3_ID_PROCESS(QM3_PROC_GET_SKIPPED_FILES)) s.NoteSkippedFiles();
    if (id == QM3_ID_STOP) stop = true;
  }
  return stop;
}

RunEnd RunScript(HostSession& s, const std::vector<ScriptPress>& presses) {
  const long measure_ticks = MeasureTicks(s);
  size_t next = 0;
  for (;;) {
    if (next < presses.size()) {
      const long measure = next == 0 ? 1 : View(s, measure_ticks).measure;
      while (next < presses.size() && presses[next].measure <= measure) {
        const ScriptPress& p = presses[next++];
        if (int rc = Press(s, p.button); rc != 0) {
          Report(s, rc, "line " + std::to_string(p.line) + " " + ButtonName(p.button));
          s.Set(QM3_ID_STOP, 0);
          return RunEnd::kFailed;
        }
      }
    }
    s.Wait(kScriptPollMs);
    if (StopAsked(s)) return CloseRun(s);
  }
}

// ---- keys on a terminal --------------------------------------------------------

class RawTerminal {
 public:
  RawTerminal() {
    if (tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
  }
  ~RawTerminal() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  // A key typed, or 0.
  int Key() {
    pollfd p{STDIN_FILENO, POLLIN, 0};
    unsigned char c = 0;
    if (poll(&p, 1, 0) == 1 && read(STDIN_FILENO, &c, 1) == 1) return c;
    return 0;
  }

 private:
  termios saved_{};
  bool active_ = false;
};

void ShowRun(const RunView& v, bool running) {
  static constexpr const char* kLamps[] = {"1", "2", "3", "4", "M1", "M2", "M3", "M4", "F1", "F2"};
  std::fprintf(stderr, "\r%s measure %3ld  ", running ? "playing" : "ready  ", v.measure);
  for (int i = 0; i < 10; ++i) {
    const bool lit = (v.lamps >> i) & 1u;
    std::fprintf(stderr, lit ? "[%s]" : " %s ", kLamps[i]);
  }
  std::fflush(stderr);
}

RunEnd RunKeys(HostSession& s) {
  std::fprintf(stderr,
               "keys: 1-4 intro (ending while playing), 5-8 main 1-4, 9 fill 1, 0 fill 2,\n"
               "      f fade-out, space stop at the bar line, q stop now\n");
  RawTerminal terminal;
  const long measure_ticks = MeasureTicks(s);
  bool running = false;
  for (;;) {
    const int key = terminal.Key();
    int rc = 0;
    bool pressed = true;
    if (key >= '1' && key <= '4') {
      const int k = key - '1';
      rc = Press(
          s, static_cast<LiveButton>((running ? static_cast<int>(LiveButton::kEnding1) : 0) + k));
    } else if (key >= '5' && key <= '8') {
      rc = Press(s, static_cast<LiveButton>(static_cast<int>(LiveButton::kMain1) + key - '5'));
    } else if (key == '9' || key == '0') {
      rc = Press(s, key == '9' ? LiveButton::kFill1 : LiveButton::kFill2);
    } else if (key == 'f' && running) {
      rc = Press(s, LiveButton::kFade);
    } else if (key == ' ' && running) {
      rc = Press(s, LiveButton::kStop);
    } else if (key == 'q') {
      s.Set(QM3_ID_STOP, 0);
      std::fputc('\n', stderr);
      return RunEnd::kDone;
    } else {
      pressed = false;
    }
    if (pressed && rc != 0) {
      std::fputc('\n', stderr);
      Report(s, rc, "button");
      if (!running) return RunEnd::kFailed;
    }
    if (pressed && rc == 0 && key != ' ' && key != 'f') running = true;
    s.Wait(kLivePollMs);
    if (StopAsked(s)) {
      std::fputc('\n', stderr);
      return CloseRun(s);
    }
    ShowRun(View(s, measure_ticks), running);
  }
}

bool ReadScript(const std::string& path, std::vector<ScriptPress>* presses) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "error: --script: cannot read %s\n", path.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  ScriptResult parsed = ParseScript(text.str());
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "error: %s: %s\n", path.c_str(), parsed.error.c_str());
    return false;
  }
  *presses = std::move(parsed.presses);
  // The run goes on until something ends it, as on the module.
  const bool ends = std::any_of(presses->begin(), presses->end(), [](const ScriptPress& p) {
    return p.button >= LiveButton::kEnding1;  // the endings, fade and stop
  });
  if (!ends) {
    std::fprintf(stderr,
                 "note: %s presses no ending, fade or stop: the run goes on to its limit of "
                 "997 measures\n",
                 path.c_str());
  }
  return true;
}

}  // namespace

int RunPerform(const PerformOptions& o) {
  std::vector<ScriptPress> presses;
  const bool scripted = !o.script.empty();
  if (scripted && !ReadScript(o.script, &presses)) return 2;
  if (!scripted && isatty(STDIN_FILENO) == 0) {
    std::fprintf(stderr,
                 "error: perform needs --script FILE, or a terminal to press the buttons on\n");
    return 2;
  }
  if (!o.out.empty() && !CheckOutputFile("--out", o.out)) return kExitUsage;
  if (o.tempo != 0 && (o.tempo < 40 || o.tempo > 300)) {
    std::fprintf(stderr, "error: --tempo must be 40..300 beats per minute\n");
    return 2;
  }

  // A script runs on the virtual clock, silently; keys play on the sound card.
  SessionOptions so;
  so.virtual_clock = scripted;
  so.live_audio = !scripted;
  so.module_sound = !scripted;
  HostSession s(so);
  if (int rc = s.Open(); rc != 0) return Report(s, rc, "start");
  if (int rc = s.SetProcess(QM3_PROC_CHANGE_WINDOW, QM3_ID_SCREEN(QM3_SCREEN_REAL_TIME), 0);
      rc != 0) {
    return Report(s, rc, "real-time window");
  }
  SongOptions material;
  material.rhythm = o.rhythm;
  material.melody = o.melody;
  material.mood = o.mood;
  if (int rc = ApplyMaterialOptions(s, material); rc != 0) return rc;
  if (o.tempo != 0 && s.Set(QM3_ID_TEMPO, o.tempo) != 0) return Report(s, 1, "--tempo");
  if (int rc = s.Set(QM3_ID_RECORD_BUTTON, 1); rc != 0) return Report(s, rc, "record");
  s.Drain();

  const RunEnd end = scripted ? RunScript(s, presses) : RunKeys(s);
  if (end == RunEnd::kFailed) return 1;
  PrintRecording(s);
  if (RecordedCount(s) == 0) {
    std::fprintf(stderr, "error: nothing was recorded\n");
    return 1;
  }
  if (int rc = s.Set(QM3_ID_REAL_TIME_OK, 1); rc != 0)
    return Report(s, rc, "song from the recording");
  s.NoteSkippedFiles();
  s.SetProcess(QM3_PROC_CHANGE_WINDOW, QM3_ID_SCREEN(QM3_SCREEN_SONG_EDIT), 0);
  PrintSongTable(s);
  if (!o.out.empty()) {
    if (int rc = s.FileProcess(QM3_PROC_SAVE_AS_FILE, o.out); rc != 0) {
      return Report(s, rc, "save " + o.out);
    }
    std::printf("wrote %s\n", o.out.c_str());
  }
  return end == RunEnd::kInputLost ? 1 : 0;
}

}  // namespace sonavex::cli
