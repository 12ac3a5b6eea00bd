// The module's local socket: clients that connect write the bulk OUT stream
// and receive the bulk IN stream (every client gets every IN packet), so
// that drivers in other processes reach the module as if it were hardware.
//
// Thread rules: Run blocks the calling thread until RequestStop (callable
// from a signal handler) wakes it; one thread per client plus one for IN.
#pragma once
#include <string>

#include "platform/usb_endpoint.h"

namespace corvane {

// The default socket path: $SONAVEX_MODULE_SOCKET, else
// ${XDG_RUNTIME_DIR:-/tmp}/corvane-module-<uid>.sock.
std::string DefaultSocketPath();

// Serves `endpoint` on `path` until stopped; false when the socket cannot be
// set up (another module already listens there, or the folder is missing).
bool RunSocketBridge(const std::string& path, const SonavexUsbEndpoint& endpoint);
void RequestBridgeStop();

}  // namespace corvane
