#!/bin/sh
# Builds the Debian package from an existing build folder (CPack over the
# install rules), lists its contents, and runs the command line's main job
# from the unpacked package, which is relocatable; then installs and removes it
# with dpkg in a throw-away copy of the system where the machine allows it.
#   ./scripts/package.sh [build folder]     (default: build)
set -eu
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB=$(ls -t "$BUILD"/packages/sonavex_*.deb | head -n 1)
dpkg-deb --info "$DEB"
dpkg-deb --contents "$DEB"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
dpkg-deb --extract "$DEB" "$T/root"
mkdir -p "$T/home" "$T/run"
chmod 700 "$T/run"
# A home and runtime folder of its own: the module's device locks live in the
# runtime folder, and another run on the machine must not hold them.
(cd "$T" && export HOME="$T/home" XDG_RUNTIME_DIR="$T/run" &&
  "$T/root/usr/bin/sonavex-cli" compose --duration 10 -o song.bgm >/dev/null &&
  "$T/root/usr/bin/sonavex-cli" convert song.bgm --smf song.mid >/dev/null 2>&1)
head -c 4 "$T/song.mid" | grep -q MThd
echo "package: $DEB runs from its unpacked files"
./scripts/package-install-check.sh "$DEB"
