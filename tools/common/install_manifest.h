// The install manifest: the files of an installation that an update replaces,
// written by the install into the prefix (see install_layout.h) and read by
// the updater. Text, one entry a line:
//
//   # comment
//   sonavex-install-manifest 1        (first line that is not a comment)
//   version 0.1
//   program lib/sonavex/sonavex-cli   (role and prefix-relative path)
//   library lib/libqm3middle.so
//   driver lib/sonavex/libcvusb.so
//
// Paths are relative, without "." or ".." parts, and their file names are
// unique (an update folder holds them side by side). At least one program.
//
// Thread rules: plain functions; parsing allocates.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sonavex::install {

enum class FileRole { kProgram, kLibrary, kDriver };

struct ManifestEntry {
  FileRole role = FileRole::kProgram;
  std::string path;  // relative to the prefix
};

struct Manifest {
  std::string version;
  std::vector<ManifestEntry> entries;
};

// Larger files are refused unread.
inline constexpr size_t kManifestMaxBytes = 64 * 1024;

// false with `error` naming the line and the fault.
bool ParseManifest(std::string_view text, Manifest& out, std::string& error);
bool ReadManifest(const std::filesystem::path& file, Manifest& out, std::string& error);

}  // namespace sonavex::install
