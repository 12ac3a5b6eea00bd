#include "driver_state.h"

#include "cvusb_entry.h"
#include "io_threads.h"
#include "usb_transport.h"

namespace cvusb {

DriverState& Driver() {
  static DriverState state;
  return state;
}

void InitialiseDriver() {
  DriverState& driver = Driver();
  std::lock_guard guard(driver.global_lock);
  if (driver.initialised.load()) return;
  for (OutputSlot& slot : driver.outputs) {
    std::lock_guard slot_guard(slot.lock);
    slot.in_use = false;
    slot.client = ClientBinding{};
  }
  for (InputPort& port : driver.inputs) {
    std::lock_guard port_guard(port.lock);
    port.in_use = false;
    ResetInputPort(port);
  }
  driver.open_outputs = driver.open_inputs = 0;
  driver.initialised = true;
  driver.device_available = Transport().CreateIoMutex();
  std::lock_guard ring_guard(Transport().ring_lock());
  Transport().ring().Clear();
}

void ShutDownDriver() {
  DriverState& driver = Driver();
  std::lock_guard guard(driver.global_lock);
  if (!driver.initialised.load()) return;
  driver.initialised = false;
  // Ports still open at unload: stop their threads before the code goes.
  StopAllThreads();
  UsbTransport& transport = Transport();
  transport.ClosePipe(PipeDirection::kOut);
  transport.ClosePipe(PipeDirection::kIn);
  transport.ReleaseSide(PipeDirection::kOut);
  transport.ReleaseSide(PipeDirection::kIn);
  transport.CloseIoMutex();
  driver.device_available = false;
}

unsigned DeviceCount() {
  return Driver().device_available.load() ? kDevicesPerDirection : 0;
}

bool CommonPortMessage(platform::UINT message, platform::UINT get_num_devs,
                       platform::DWORD* result) {
  if (message == get_num_devs) {
    std::lock_guard guard(Driver().global_lock);
    InitialiseDriver();
    *result = DeviceCount();
    return true;
  }
  switch (message) {
    case platform::DRVM_INIT:
    case kDrvmEnable:
      InitialiseDriver();
      *result = platform::MMSYSERR_NOERROR;
      return true;
    case platform::DRVM_EXIT:
    case kDrvmDisable:
      *result = platform::MMSYSERR_NOERROR;
      return true;
    default:
      return false;
  }
}

}  // namespace cvusb
