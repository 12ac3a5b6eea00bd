#include "update.h"

#include <cstdlib>

#include "file_replace.h"
#include "install_layout.h"
#include "install_manifest.h"
#include "platform/instance_lock.h"
#include "platform/profile.h"

namespace sonavex::updater {
namespace {

namespace fs = std::filesystem;
using install::FileRole;

std::vector<fs::path> StandardPrefixes() {
  std::vector<fs::path> prefixes;
  if (const char* list = std::getenv("SONAVEX_STANDARD_PREFIXES")) {
    std::string text = list;
    size_t start = 0;
    while (start <= text.size()) {
      size_t colon = text.find(':', start);
      if (colon == std::string::npos) colon = text.size();
      if (colon > start) prefixes.emplace_back(text.substr(start, colon - start));
      start = colon + 1;
    }
    return prefixes;
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    prefixes.push_back(fs::path(home) / ".local");
  }
  for (const char* p : {"/usr/local", "/opt/sonavex", "/usr"}) prefixes.emplace_back(p);
  return prefixes;
}

fs::path RecordedManifest() {
  char value[4096];
  const std::string record = install::InstallRecordPath().string();
  if (platform::GetPrivateProfileString("Install", "Manifest", "", value, sizeof value,
                                        record.c_str()) == 0) {
    return {};
  }
  return value;
}

fs::path Canonical(const fs::path& path) {
  std::error_code ec;
  fs::path result = fs::weakly_canonical(path, ec);
  return ec ? path.lexically_normal() : result;
}

bool Inside(const fs::path& path, const fs::path& folder) {
  const fs::path relative = Canonical(path).lexically_relative(Canonical(folder));
  return !relative.empty() && *relative.begin() != "..";
}

UpdateResult Refused(const fs::path& prefix, std::string reason) {
  return UpdateResult{false, prefix, std::move(reason)};
}

}  // namespace

std::vector<fs::path> CandidateManifests() {
  std::vector<fs::path> manifests;
  std::vector<fs::path> seen;
  auto add = [&](const fs::path& manifest) {
    std::error_code ec;
    if (manifest.empty() || !fs::exists(manifest, ec)) return;
    const fs::path key = Canonical(manifest);
    for (const fs::path& s : seen) {
      if (s == key) return;
    }
    seen.push_back(key);
    manifests.push_back(manifest);
  };
  add(RecordedManifest());
  for (const fs::path& prefix : StandardPrefixes()) add(prefix / install::kManifestPath);
  return manifests;
}

UpdateResult UpdateInstallation(const fs::path& manifest_file, const fs::path& update_folder) {
  const fs::path prefix = install::PrefixOfManifest(fs::absolute(manifest_file));
  if (prefix.empty()) {
    return Refused(manifest_file, manifest_file.string() + " is not where a manifest lies");
  }
  install::Manifest manifest;
  std::string error;
  if (!install::ReadManifest(manifest_file, manifest, error)) {
    return Refused(
        prefix, "the install manifest " + manifest_file.string() + " is damaged (" + error + ")");
  }

  const platform::RunningInstance running = platform::FindRunningInstance();
  if (running.running && (running.executable.empty() || Inside(running.executable, prefix))) {
    return Refused(prefix, "SONAVEX is running from this installation; close it and try again");
  }

  std::vector<install::Replacement> files;
  std::error_code ec;
  for (const install::ManifestEntry& entry : manifest.entries) {
    const fs::path destination = prefix / entry.path;
    const fs::path source = update_folder / destination.filename();
    if (!fs::is_regular_file(source, ec)) {
      return Refused(prefix, "the update folder " + update_folder.string() + " lacks " +
                                 destination.filename().string() + "; nothing was changed");
    }
    const bool installed = fs::is_regular_file(destination, ec);
    if (installed && fs::equivalent(source, destination, ec)) {
      return Refused(prefix, "the update folder is the installation itself");
    }
    if (!installed) {
      if (entry.role == FileRole::kProgram) {
        return Refused(prefix, "the installed program " + destination.string() + " is missing");
      }
      continue;
    }
    files.push_back({source, destination});
  }
  if (!install::ReplaceFiles(files, error)) {
    return Refused(prefix, error + "; nothing was changed");
  }
  return UpdateResult{true, prefix, {}};
}

}  // namespace sonavex::updater
