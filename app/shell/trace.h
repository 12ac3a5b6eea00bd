// The application's trace line: every failure path leaves one. Goes to the
// platform's one trace sink, which is silent unless SONAVEX_TRACE is set.
//
// Thread rules: any thread.
#pragma once
#include "platform/trace.h"

namespace sonavex::app {

using platform::TraceLog;

}  // namespace sonavex::app
