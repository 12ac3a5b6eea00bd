#!/bin/sh
# Installs a Debian package with dpkg into a throw-away copy of this machine's
# own system (an overlay over / in a private mount namespace, entered with
# chroot), uses it as a user would, removes it, and checks that removal leaves
# nothing behind. The machine itself is not changed. Needs the administrator
# and overlay mounts; where either is missing it says so and does nothing.
#   ./scripts/package-install-check.sh PACKAGE.deb
set -eu
DEB=$(realpath "$1")
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$T/upper" "$T/work" "$T/root"
overlay="mount -t overlay overlay -o lowerdir=/,upperdir='$T/upper',workdir='$T/work' '$T/root'"
if [ "$(id -u)" != 0 ] || ! unshare --mount sh -c "$overlay" 2>/dev/null; then
  echo "package install check skipped: needs the administrator and overlay mounts"
  exit 0
fi
cp "$DEB" "$T/upper/package.deb"
cat >"$T/upper/check.sh" <<'INSIDE'
set -eu
mount -t proc proc /proc
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mkdir -p /tmp/home /tmp/run /tmp/work
chmod 700 /tmp/run
export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/run
unset SONAVEX_DRIVERS SONAVEX_DATA_DIR DISPLAY WAYLAND_DISPLAY
dpkg -i /package.deb >/tmp/dpkg.log 2>&1 || { cat /tmp/dpkg.log; exit 1; }
cd /tmp/work
sonavex-cli compose --duration 10 -o "曲 é.bgm" >/dev/null
sonavex-cli convert "曲 é.bgm" --quiet --smf "曲 é.mid" >/dev/null
head -c 4 "曲 é.mid" | grep -q MThd
sonavex-drvsetup --yes >/dev/null 2>&1
sonavex-drvsetup --yes >/dev/null 2>&1
[ "$(grep -c libcvusb.so "$HOME/.config/sonavex/drivers.ini")" = 1 ]
dpkg -r sonavex >/tmp/dpkg.log 2>&1 || { cat /tmp/dpkg.log; exit 1; }
if grep -q "not empty" /tmp/dpkg.log || [ -e /usr/lib/sonavex ]; then
  cat /tmp/dpkg.log
  find /usr/lib/sonavex
  exit 1
fi
INSIDE
if ! unshare --mount --pid --fork sh -c "
    $overlay &&
    mount --rbind /dev '$T/root/dev' &&
    chroot '$T/root' sh /check.sh"; then
  echo "package install check FAILED: $DEB"
  exit 1
fi
echo "package install check: dpkg -i, compose, export, drvsetup twice and dpkg -r in a copy of this system"
