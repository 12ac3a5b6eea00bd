#include "install_layout.h"

#include <unistd.h>

#include <climits>

#include "platform/drivers.h"

namespace sonavex::install {

namespace fs = std::filesystem;

fs::path InstallRecordPath() {
  // Beside the driver list, so both follow the same configuration folder.
  return fs::path(platform::DriverRegistryPath()).parent_path() / "install.ini";
}

fs::path PrefixOfManifest(const fs::path& manifest) {
  fs::path prefix = manifest;
  for (fs::path tail = kManifestPath; !tail.empty(); tail = tail.parent_path()) {
    if (prefix.filename() != tail.filename()) return {};
    prefix = prefix.parent_path();
  }
  return prefix;
}

fs::path ProgramFolder() {
  char path[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
  if (n <= 0) return fs::current_path();
  return fs::path(std::string(path, static_cast<size_t>(n))).parent_path();
}

}  // namespace sonavex::install
