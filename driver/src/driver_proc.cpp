// DriverProc: load and free; every other driver message is acknowledged or
// passed to the platform's default handler.
#include "cvusb_entry.h"
#include "driver_state.h"

using namespace platform;

CVUSB_EXPORT LRESULT DriverProc(DWORD_PTR driver_id, HDRVR driver, UINT message, LPARAM param1,
                                LPARAM param2) {
  try {
    switch (message) {
      case DRV_LOAD:
        cvusb::InitialiseDriver();
        return 1;
      case DRV_FREE:
        cvusb::ShutDownDriver();
        return 1;
      case DRV_ENABLE:
      case DRV_OPEN:
      case DRV_CLOSE:
      case DRV_DISABLE:
      case DRV_CONFIGURE:
      case DRV_INSTALL:
      case DRV_REMOVE:
      case cvusb::kDrvPower:
        return 1;
      case DRV_QUERYCONFIGURE:
        return 0;
      default:
        return DefDriverProc(driver_id, driver, message, param1, param2);
    }
  } catch (...) {
    return 0;
  }
}
