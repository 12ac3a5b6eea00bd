#include "core/time_screen.h"

#include "core/middle_internal.h"

namespace qm3 {

int32_t CurrentScreenNumber() {
  return CurrentScreen();
}

void RedrawAfterAliveChange() {
  RedrawScreen();
}

}  // namespace qm3
