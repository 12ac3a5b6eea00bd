// DriverCallback and DefDriverProc, the two services drivers and the
// built-in ports use to reach their clients.
#include "platform/clock.h"
#include "platform/host_window.h"
#include "platform/mmddk.h"

using namespace platform;

extern "C" int DriverCallback(DWORD_PTR dwCallback, DWORD dwFlags, HDRVR hDevice, DWORD dwMsg,
                              DWORD_PTR dwUser, DWORD_PTR dwParam1, DWORD_PTR dwParam2) {
  switch (dwFlags & DCB_TYPEMASK) {
    case DCB_NULL:
      return 1;  // nobody asked to hear about it
    case DCB_WINDOW:
      return PostMessage(static_cast<HWND>(dwCallback), dwMsg, reinterpret_cast<long>(hDevice),
                         static_cast<long>(dwParam1))
                 ? 1
                 : 0;
    case DCB_FUNCTION: {
      if (dwCallback == 0) return 0;
      // Drivers reach only MIDI clients through here (the wave input calls
      // its own clients), so the function has the MIDI callback's type.
      reinterpret_cast<MidiCallback>(dwCallback)(reinterpret_cast<HMIDI>(hDevice), dwMsg, dwUser,
                                                 dwParam1, dwParam2);
      return 1;
    }
    case DCB_EVENT:
      if (dwCallback == 0) return 0;
      reinterpret_cast<Event*>(dwCallback)->Set();
      return 1;
    default:
      return 0;  // thread callbacks are not offered
  }
}

extern "C" LRESULT DefDriverProc(DWORD_PTR, HDRVR, UINT uMsg, LPARAM, LPARAM) {
  switch (uMsg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_OPEN:
    case DRV_CLOSE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_INSTALL:
    case DRV_REMOVE:
      return 1;
    case DRV_QUERYCONFIGURE:
      return 0;
    case DRV_CONFIGURE:
      return DRVCNF_CANCEL;
    default:
      return 0;
  }
}
