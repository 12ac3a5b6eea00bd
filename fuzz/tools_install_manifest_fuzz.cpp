// The install manifest over arbitrary bytes: no crash, and whatever is
// accepted stays inside the prefix, has a program and unique file names.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "install_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonavex::install;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Manifest manifest;
  std::string error;
  if (!ParseManifest(text, manifest, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  bool program = false;
  std::set<std::string> names;
  for (const ManifestEntry& e : manifest.entries) {
    program |= e.role == FileRole::kProgram;
    if (e.path.empty() || e.path.front() == '/') std::abort();
    const std::string parts = "/" + e.path + "/";
    if (parts.find("/../") != std::string::npos || parts.find("/./") != std::string::npos ||
        parts.find("//") != std::string::npos) {
      std::abort();
    }
    if (!names.insert(e.path.substr(e.path.rfind('/') + 1)).second) std::abort();
  }
  if (!program) std::abort();
  return 0;
}
