// Access to the current screen, which the screen component (process 25) owns.
// Until it offers qm3::CurrentScreen() the screen reads as unknown (0).
#include "core/time_screen.h"

#include "core/middle_internal.h"

namespace qm3 {

// Defined by the screen component; a weak reference so that this component
// links and runs without it.
int CurrentScreen() __attribute__((weak));

int32_t CurrentScreenNumber() {
  if (&CurrentScreen == nullptr) return 0;
  return CurrentScreen() & 0xFF;
}

void RedrawAfterAliveChange() {
  Notify(0x4206, kNotifyRedraw);
  const int32_t screen = CurrentScreenNumber();
  if (screen == 5 || screen == 7) {
    if (ReadValue(0x0501) == 0) {
      Notify(0x4205, kNotifyRedraw);
      Notify(0x4240, kNotifyRedraw);
    } else {
      Notify(0x4207, kNotifyRedraw);
      Notify(0x4241, kNotifyRedraw);
    }
  } else if (screen != 0) {
    Notify(0x4200 | screen, kNotifyRedraw);
  }
}

}  // namespace qm3
