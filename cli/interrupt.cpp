#include "interrupt.h"

#include <csignal>

namespace sonavex::cli {
namespace {

// A signal handler can reach nothing but a static of this type.
volatile std::sig_atomic_t g_signal = 0;

extern "C" void RecordSignal(int signal) {
  g_signal = signal;
}

}  // namespace

InterruptWatch::InterruptWatch() {
  g_signal = 0;
  struct sigaction action {};
  action.sa_handler = RecordSignal;
  action.sa_flags = SA_RESTART;  // other threads' calls go on undisturbed
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous_int_);
  sigaction(SIGTERM, &action, &previous_term_);
}

InterruptWatch::~InterruptWatch() {
  sigaction(SIGINT, &previous_int_, nullptr);
  sigaction(SIGTERM, &previous_term_, nullptr);
}

int InterruptWatch::Requested() const {
  return g_signal;
}

}  // namespace sonavex::cli
