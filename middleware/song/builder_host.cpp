// Reaches the core's own state through its process interface.
#include "song/builder_host.h"

#include "core/control_ids.h"
#include "qm3middle.h"

namespace qm3 {

int32_t RealTimeSongFlag() {
  long flag = 0;
  long unused = 0;
  QM3GetValue(ProcessId(kProcRealTimeSongFlag), 0, &flag, &unused);
  return static_cast<int32_t>(flag);
}

void SetRealTimeSongFlag(int32_t flag) {
  QM3SetValue(ProcessId(kProcRealTimeSongFlag), 0, flag, 0);
}

int CurrentScreenNumber() {
  return kScreenNone;
}

}  // namespace qm3
