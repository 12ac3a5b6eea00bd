// Reaches the core's own state through its process interface.
#include "song/builder_host.h"

#include "core/time_screen.h"
#include "qm3middle.h"

namespace qm3 {
namespace {
constexpr long kRealTimeSongFlagProcess = 0x8026;  // process 38
}  // namespace

int32_t ReadRealTimeSongFlag() {
  long flag = 0;
  long unused = 0;
  QM3GetValue(kRealTimeSongFlagProcess, 0, &flag, &unused);
  return static_cast<int32_t>(flag);
}

void WriteRealTimeSongFlag(int32_t flag) {
  QM3SetValue(kRealTimeSongFlagProcess, 0, flag, 0);
}

bool OnRealTimeScreen() {
  return CurrentScreenNumber() == kScreenRealTime;
}

}  // namespace qm3

namespace qm3 {

bool OnSongEditScreen() {
  return CurrentScreenNumber() == kScreenSongEdit;
}

}  // namespace qm3
