#include <cstdlib>
#include <filesystem>

#include "platform/drivers.h"

namespace platform {

void PointAtDriverBeside(const std::string& program_folder, const char* build_path) {
  if (std::getenv("SONAVEX_DRIVERS") != nullptr) return;
  const std::filesystem::path beside = std::filesystem::path(program_folder) / "libcvusb.so";
  std::error_code ec;
  if (std::filesystem::exists(beside, ec)) {
    setenv("SONAVEX_DRIVERS", beside.c_str(), 1);
    return;
  }
  if (build_path != nullptr && std::filesystem::exists(build_path, ec))
    setenv("SONAVEX_DRIVERS", build_path, 1);
}

}  // namespace platform
