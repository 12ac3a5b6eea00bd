// Where an installation keeps its files, relative to its prefix, and the two
// records that point at an installation: the manifest the install writes into
// the prefix, and the user's install record that names that manifest.
//
// Prefix layout:
//   bin/                     links to the programs (sonavex-cli, ...)
//   lib/                     libqm3middle.so and the libraries it needs
//   lib/sonavex/             the programs, the driver plug-in, its setup
//                            information, the content library and style bank
//                            (the programs' host directory), the manifest
//   include/qm3middle/, lib/pkgconfig/qm3middle.pc, lib/udev/rules.d/,
//   share/applications/, share/icons/
//
// Thread rules: plain functions; they read the environment and allocate.
#pragma once
#include <filesystem>
#include <string>

namespace sonavex::install {

// The manifest's place inside a prefix.
inline constexpr char kManifestPath[] = "lib/sonavex/install-manifest.txt";

// ${XDG_CONFIG_HOME:-$HOME/.config}/sonavex/install.ini: section [Install],
// key Manifest, the absolute path of the last installation's manifest.
std::filesystem::path InstallRecordPath();

// The prefix a manifest path belongs to (empty when the path does not end in
// kManifestPath).
std::filesystem::path PrefixOfManifest(const std::filesystem::path& manifest);

}  // namespace sonavex::install
