// The update launcher's steps: where installations may be, and replacing one
// installation's programs and libraries with the copies in an update folder.
//
// Thread rules: plain functions; they read the environment and block on
// file I/O.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace sonavex::updater {

// The manifests to try, first way first: the one the user's install record
// names, then those of the standard prefixes ($HOME/.local, /usr/local,
// /opt/sonavex, /usr; SONAVEX_STANDARD_PREFIXES, colon-separated, replaces
// that list). Each installation once.
std::vector<std::filesystem::path> CandidateManifests();

struct UpdateResult {
  bool updated = false;
  std::filesystem::path prefix;
  std::string reason;  // why not, for the user
};

// Replaces the installation that `manifest` describes with the files of the
// same names in `update_folder`, all or nothing. Refused when the manifest is
// damaged, when the application runs from that installation (its instance
// lock), when the update folder lacks one of the files, or when an installed
// program is missing; an installed library that is missing stays missing.
UpdateResult UpdateInstallation(const std::filesystem::path& manifest,
                                const std::filesystem::path& update_folder);

}  // namespace sonavex::updater
