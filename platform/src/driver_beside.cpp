#include <cstdlib>
#include <filesystem>

#include "platform/drivers.h"

namespace platform {
namespace {

// Where this build put the driver library (empty: no driver in this build),
// for programs run from the build folder.
#ifdef SONAVEX_BUILD_DRIVER
constexpr const char* kBuildDriver = SONAVEX_BUILD_DRIVER;
#else
constexpr const char* kBuildDriver = "";
#endif

}  // namespace

void PointAtDriverBeside(const std::string& program_folder) {
  if (std::getenv("SONAVEX_DRIVERS") != nullptr) return;
  const std::filesystem::path beside = std::filesystem::path(program_folder) / "libcvusb.so";
  std::error_code ec;
  if (std::filesystem::exists(beside, ec)) {
    setenv("SONAVEX_DRIVERS", beside.c_str(), 1);
    return;
  }
  if (kBuildDriver[0] != '\0' && std::filesystem::exists(kBuildDriver, ec))
    setenv("SONAVEX_DRIVERS", kBuildDriver, 1);
}

}  // namespace platform
