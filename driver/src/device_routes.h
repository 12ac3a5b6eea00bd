// The three ways to the sound module's USB device, tried in this order:
// the module's endpoint registered in this process, the module's local
// socket, and the hardware through libusb (identified by the driver's setup
// information file).
//
// Thread rules: called by the transport with its I/O lock held; probing and
// opening may allocate and make short system calls, never wait.
#pragma once
#include <memory>
#include <string>

#include "pipe.h"

namespace cvusb {

inline constexpr char kEndpointName[] = "corvane-usb-0";

// The first route on which the device answers now.
DeviceRoute ProbeDevice();
// Opens one pipe of the device on `route`; null when that fails.
std::unique_ptr<Pipe> OpenRoutePipe(DeviceRoute route, PipeDirection direction);

// Route implementations.
bool ProbeInProcessEndpoint();
std::unique_ptr<Pipe> OpenInProcessPipe(PipeDirection direction);

std::string ModuleSocketPath();
bool ProbeModuleSocket();
std::unique_ptr<Pipe> OpenSocketPipe(PipeDirection direction);

bool ProbeHardware();
std::unique_ptr<Pipe> OpenHardwarePipe(PipeDirection direction);
// Releases the USB library (at driver shut-down).
void ReleaseHardwareLibrary();

}  // namespace cvusb
