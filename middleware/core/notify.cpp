// Notifications to the host: one posted message per change, (id, kind), and
// the redraw order after enabled states changed.
#include "core/control_ids.h"
#include "core/core_state.h"
#include "platform/host_window.h"

namespace qm3 {

void Notify(ControlId id, int kind) {
  const long hwnd = HostWindow();
  if (hwnd == 0) return;
  // The kind travels as a signed byte widened to the parameter's size.
  platform::PostMessage(hwnd, static_cast<uint32_t>(HostMessage()), id & 0xFFFF,
                        static_cast<signed char>(kind));
}

void RedrawScreen() {
  Notify(kTransportScreenId, kNotifyRedraw);
  const int screen = CurrentScreen();
  switch (screen) {
    case kScreenPlayTime:
    case kScreenRealTime:
    case kScreenTransport:
    case kScreenConvert:
    case kScreenTimeBase:
    case kScreenMidiOut:
      Notify(ScreenId(screen), kNotifyRedraw);
      break;
    case kScreenSongEdit:
    case kScreenSmfEdit:
      if (EditingMode() == 0) {
        Notify(ScreenId(kScreenSongEdit), kNotifyRedraw);
        Notify(kSongTimeLinePane, kNotifyRedraw);
      } else {
        Notify(ScreenId(kScreenSmfEdit), kNotifyRedraw);
        Notify(kSmfPartPane, kNotifyRedraw);
      }
      break;
    default:
      break;
  }
}

}  // namespace qm3
