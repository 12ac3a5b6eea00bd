#!/bin/sh
# The single list of Debian packages the project needs to build, test,
# fuzz, benchmark and run. CI and the README call this script.
set -eu
# What the installed programs need at run time: the Debian package's
# dependencies (`install-deps.sh --runtime` prints them for CMake).
RUNTIME_PACKAGES="
  libfluidsynth3 fluid-soundfont-gm libusb-1.0-0 libasound2 xdg-utils
  libicu72 libqt6widgets6 libqt6network6 libqt6svg6 qt6-qpa-plugins fonts-noto-cjk
"
if [ "${1:-}" = "--runtime" ]; then
  # shellcheck disable=SC2086
  echo $RUNTIME_PACKAGES
  exit 0
fi
SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi
PACKAGES="
  build-essential cmake ninja-build pkg-config git
  clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfluidsynth-dev fluidsynth fluid-soundfont-gm timgm6mb-soundfont
  libusb-1.0-0-dev libasound2-dev libcli11-dev libicu-dev
  valgrind time mma hyperfine
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-svg-dev libgl-dev fonts-noto-cjk
  $RUNTIME_PACKAGES
"
missing=""
for p in $PACKAGES; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -q --no-install-recommends $missing
fi
