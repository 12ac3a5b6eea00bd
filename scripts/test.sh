#!/bin/sh
# Installs what is missing, builds everything and runs the whole test suite
# (the README's test command).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
BUILD_DIR="${SONAVEX_BUILD_DIR:-build}"
# shellcheck disable=SC2086
cmake -S . -B "$BUILD_DIR" -G Ninja -DSONAVEX_WERROR=ON ${SONAVEX_CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j "$(nproc)"
# shellcheck disable=SC2086
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 600 ${SONAVEX_CTEST_ARGS:-}
