// Ctrl+C (SIGINT) and SIGTERM during a long command: while an
// InterruptWatch lives, the signal only records itself; the command looks
// between waits and cancels its work cleanly (nothing half-written, the
// middleware ended, its work folder given back) instead of dying mid-write.
//
// Thread rules: construct and destroy on the main thread; Requested() from
// any thread. The signal handler is process-wide by nature: one watch at a
// time.
#pragma once
#include <signal.h>

namespace sonavex::cli {

class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // The signal received since the watch began, or 0.
  int Requested() const;

 private:
  struct sigaction previous_int_ {};
  struct sigaction previous_term_ {};
};

}  // namespace sonavex::cli
