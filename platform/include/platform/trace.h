// The one trace sink. Silent unless SONAVEX_TRACE names a file or "stderr".
//
// Thread rules: any thread; takes a short lock when enabled; never call it
// from a device thread in a hot path.
#pragma once

namespace platform {

void TraceLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool TraceEnabled();

}  // namespace platform
