// The exit status of every sonavex-cli command.
#pragma once

namespace sonavex::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the work failed: the middleware refused, a file, a device
constexpr int kExitUsage = 2;    // bad usage: an argument was refused before any work
// Interrupted by a signal (Ctrl+C, SIGTERM): 128 + the signal, as shells
// report a program the signal ended; the work was cancelled cleanly.
constexpr int ExitInterrupted(int signal) {
  return 128 + signal;
}

}  // namespace sonavex::cli
