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
  bool live_audio = false;    // the module also plays to the sound card
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
  // Typed text (UTF-8) to the control's value, as the control parses it.
  int Parse(long id, const std::string& text, long* value);
  // The value as the control shows it, in UTF-8.
  std::string Show(long id, long value);

  // The middleware's message for a return code, in UTF-8.
  std::string CodeText(int rc);
  // Removes the posted notifications; returns their identifiers.
  std::vector<long> Drain();
  // Waits on the session's clock.
  void Wait(unsigned ms);

  const std::string& directory() const { return directory_; }

 private:
  SessionOptions options_;
  platform::HWND window_ = 0;
  unsigned message_ = 0;
  bool module_started_ = false;
  std::string directory_;
};

// Prints "error: <text>" for a non-zero code and returns the exit status.
int Report(HostSession& session, int rc, const std::string& what);

}  // namespace sonavex::cli
