// The driver's setup information file ("usbcvmid.inf"): it binds the sound
// module's USB interface to this driver, and the hardware route reads the
// module's vendor and product identifiers and interface number from it.
//
// Thread rules: plain functions; reading the file allocates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace cvusb {

struct UsbDeviceId {
  uint16_t vendor = 0;
  uint16_t product = 0;
  uint8_t interface_number = 0;
};

// The largest setup information file read. The shipped file is under 1 KiB;
// a file this large is something else, and it is read whole into memory.
inline constexpr size_t kMaxSetupInformationBytes = 64 * 1024;

// The first hardware identifier "USB\VID_xxxx&PID_xxxx[&MI_xx]" in the text
// (letters in any case); nothing when none is well formed.
std::optional<UsbDeviceId> ParseSetupInformation(const char* text, size_t length);

// The device named by the setup information file at `path`: nothing when it
// is not a regular file, cannot be read, is larger than
// kMaxSetupInformationBytes (traced) or names no well-formed device.
std::optional<UsbDeviceId> ReadSetupInformation(const std::filesystem::path& path);

// Where drvsetup registers the file for the user:
// ${XDG_DATA_HOME:-$HOME/.local/share}/sonavex/usbcvmid.inf (empty when
// neither variable is set).
std::filesystem::path RegisteredSetupInformationPath();

// Reads the file from, in order: $SONAVEX_CVUSB_INF, the user's registered
// copy (drvsetup's, like the system's store of setup files), the folder the
// driver library was loaded from, the copy in the source tree. Only regular
// files of at most kMaxSetupInformationBytes are read; a larger one is
// refused whole (traced) and the search goes on as for a missing file.
std::optional<UsbDeviceId> FindModuleDeviceId();

}  // namespace cvusb
