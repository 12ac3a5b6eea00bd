// Reaches the core's own state.
#include "song/builder_host.h"

#include "core/core_state.h"
#include "core/middle_internal.h"
#include "core/time_screen.h"

namespace qm3 {

int32_t ReadRealTimeSongFlag() {
  return EditingMode() == 0 ? RealTimeSongFlag() : 0;
}

void WriteRealTimeSongFlag(int32_t flag) {
  if (EditingMode() == 0) SetRealTimeSongFlag(flag);
}

bool OnRealTimeScreen() {
  return CurrentScreenNumber() == kScreenRealTime;
}

bool OnSongEditScreen() {
  return CurrentScreenNumber() == kScreenSongEdit;
}

}  // namespace qm3
