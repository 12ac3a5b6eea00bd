// One command-line session with the middleware: starts the software sound
// module (unless hardware answers), binds a host window, initialises the
// middleware and offers the six exported calls with UTF-8 texts around them.
//
// Thread rules: a session lives on the main thread, which is also the host
// thread of the middleware; notifications are drained on that thread.
#pragma once
#include <string>
#include <vector>

#include "platform/host_window.h"

namespace sonavex::cli {

struct SessionOptions {
  bool virtual_clock = true;  // batch work runs faster than real time
  bool live_audio = false;    // the module also plays to the sound card, if there is one
  bool start_module = true;   // the in-process software module
  bool module_sound = true;   // false: the module runs without its SoundFont
};

class HostSession {
 public:
  explicit HostSession(const SessionOptions& options);
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // 0, or the middleware's code (printed by the caller with CodeText).
  int Open();

  int Set(long id, long value);
  long Get(long id, int* rc = nullptr);
  int Process(int number, long* a, long* b);
  int SetProcess(int number, long a, long b);
  // A file process (open, save as, convert) with `path` in its second
  // argument and `a` in its first. File names are the file system's bytes and pass unchanged; the
  // middleware makes its own Shift-JIS form where it shows one.
  int FileProcess(int number, const std::string& path, long a = 0);
  // Typed text (UTF-8) to the control's value, as the control parses it.
  int Parse(long id, const std::string& text, long* value);
  // The value as the control shows it, in UTF-8.
  std::string Show(long id, long value);

  // The middleware's message for a return code, in UTF-8.
  std::string CodeText(int rc);
  // Removes the posted notifications; returns their identifiers.
  std::vector<long> Drain();
  // Waits up to `ms` for the first notification (on the window's descriptor,
  // or the virtual clock), then drains; empty on time-out.
  std::vector<long> WaitAndDrain(unsigned ms);
  // Waits on the session's clock.
  void Wait(unsigned ms);

  // Prints a "note:" line (stderr) for each content file the last song render
  // (or live run's material) could not read and this session has not named yet.
  void NoteSkippedFiles();

  // The MIDI output ports the middleware found (UTF-8 names), in the order
  // of the output device value.
  std::vector<std::string> Ports();

  const std::string& directory() const { return directory_; }
  // The software sound module runs (in this process).
  bool module_running() const { return module_started_; }
  // It also plays to the sound card (asked for, and a card was there).
  bool module_audible() const { return module_audible_; }
  // The middleware found the sound module's port (software or hardware).
  bool module_found() const { return module_found_; }

 private:
  SessionOptions options_;
  platform::HWND window_ = 0;
  unsigned message_ = 0;
  bool module_started_ = false;
  bool module_audible_ = false;
  bool module_found_ = false;
  std::string directory_;
  std::vector<std::string> skipped_noted_;
};

// Prints "error: <text>" for a non-zero code and returns the exit status.
int Report(HostSession& session, int rc, const std::string& what);

}  // namespace sonavex::cli
