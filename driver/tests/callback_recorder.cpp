// The tests' DriverCallback: calls function callbacks directly, as the
// multimedia layer does, so the driver's callbacks can be observed in a test
// program that links the driver's objects.
#include "platform/mmddk.h"

using namespace platform;

extern "C" int DriverCallback(DWORD_PTR callback, DWORD flags, HDRVR device, DWORD message,
                              DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
  if ((flags & DCB_TYPEMASK) != DCB_FUNCTION || callback == 0) return 0;
  reinterpret_cast<MidiCallback>(callback)(reinterpret_cast<HMIDI>(device), message, instance,
                                           param1, param2);
  return 1;
}
