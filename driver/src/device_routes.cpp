#include "device_routes.h"

namespace cvusb {

DeviceRoute ProbeDevice() {
  if (ProbeInProcessEndpoint()) return DeviceRoute::kInProcess;
  if (ProbeModuleSocket()) return DeviceRoute::kModuleSocket;
  if (ProbeHardware()) return DeviceRoute::kHardware;
  return DeviceRoute::kNone;
}

std::unique_ptr<Pipe> OpenRoutePipe(DeviceRoute route, PipeDirection direction) {
  switch (route) {
    case DeviceRoute::kInProcess:
      return OpenInProcessPipe(direction);
    case DeviceRoute::kModuleSocket:
      return OpenSocketPipe(direction);
    case DeviceRoute::kHardware:
      return OpenHardwarePipe(direction);
    case DeviceRoute::kNone:
      break;
  }
  return nullptr;
}

}  // namespace cvusb
