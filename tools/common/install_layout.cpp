#include "install_layout.h"

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

}  // namespace sonavex::install
