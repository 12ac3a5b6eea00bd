#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

FILE* Sink() {
  static FILE* sink = [] {
    const char* where = std::getenv("SONAVEX_TRACE");
    if (where == nullptr || *where == '\0') return static_cast<FILE*>(nullptr);
    if (std::strcmp(where, "stderr") == 0) return stderr;
    return std::fopen(where, "a");
  }();
  return sink;
}

std::mutex g_trace_mu;

}  // namespace

bool TraceEnabled() {
  return Sink() != nullptr;
}

void TraceLog(const char* format, ...) {
  FILE* sink = Sink();
  if (sink == nullptr) return;
  std::lock_guard lock(g_trace_mu);
  va_list args;
  va_start(args, format);
  std::vfprintf(sink, format, args);
  va_end(args);
  std::fputc('\n', sink);
  std::fflush(sink);
}

}  // namespace platform
