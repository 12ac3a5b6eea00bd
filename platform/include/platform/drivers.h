// The driver registry: which user-mode MIDI driver libraries the layer loads
// and lists before its own ports.
//
// The registry is the INI file ${XDG_CONFIG_HOME:-$HOME/.config}/sonavex/
// drivers.ini, section [Drivers], keys midi, midi1 ... midi9 (read in that
// order), each the path of a driver library; drvsetup writes it. The
// environment variable SONAVEX_DRIVERS, when set, replaces it: a
// colon-separated list of library paths (empty: no drivers).
//
// Each library is loaded once per process at the first port query and sent
// DRV_LOAD, DRV_ENABLE, DRV_OPEN, then MODM_INIT, MODM_GETNUMDEVS, MIDM_INIT,
// MIDM_GETNUMDEVS; a library that refuses DRV_LOAD or DRV_OPEN is unloaded.
//
// Thread rules: any thread; loading takes a process-wide lock and calls into
// the drivers.
#pragma once
#include <string>
#include <vector>

namespace platform {

// The registry file's path (whether or not it exists).
std::string DriverRegistryPath();

// The library paths the next load uses (environment or registry).
std::vector<std::string> ConfiguredDriverPaths();

// Forgets the loaded drivers; the next port query loads the configured ones
// again. A driver is sent DRVM_EXIT, DRV_CLOSE, DRV_DISABLE and DRV_FREE and
// unloaded once no handle uses its ports any more.
void ReloadDrivers();

// For a front end: unless SONAVEX_DRIVERS is set, points it at the driver
// library beside the program (`program_folder`/libcvusb.so), else at the one
// this build made, when that exists (a program run from the build folder).
void PointAtDriverBeside(const std::string& program_folder);

}  // namespace platform
