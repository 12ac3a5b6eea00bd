// The entry points the multimedia layer calls in the cvusb driver library,
// and the driver message numbers it uses beyond the platform's list.
//
// Thread rules: any client thread; opening, closing, counting and capability
// messages are serialised by the driver's global lock; open may wait up to
// 100 ms (input) and close up to 500 ms on the platform clock for the
// transfer threads. No exception leaves an entry point.
#pragma once
#include "platform/mmddk.h"

#define CVUSB_EXPORT extern "C" __attribute__((visibility("default")))

namespace cvusb {
constexpr platform::UINT kDrvPower = 0x000F;
constexpr platform::UINT kDrvmDisable = 102;
constexpr platform::UINT kDrvmEnable = 103;
}  // namespace cvusb

CVUSB_EXPORT platform::LRESULT DriverProc(platform::DWORD_PTR driver_id, platform::HDRVR driver,
                                          platform::UINT message, platform::LPARAM param1,
                                          platform::LPARAM param2);
CVUSB_EXPORT platform::DWORD modMessage(platform::UINT device, platform::UINT message,
                                        platform::DWORD_PTR user, platform::DWORD_PTR param1,
                                        platform::DWORD_PTR param2);
CVUSB_EXPORT platform::DWORD midMessage(platform::UINT device, platform::UINT message,
                                        platform::DWORD_PTR user, platform::DWORD_PTR param1,
                                        platform::DWORD_PTR param2);
