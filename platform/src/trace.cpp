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
  char line[2048];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n < 0) return;
  std::fputs(line, sink);
  // Callers may end their line themselves; a line feed is added only when missing.
  const size_t len = std::strlen(line);
  if (len == 0 || line[len - 1] != '\n') std::fputc('\n', sink);
  std::fflush(sink);
}

}  // namespace platform
