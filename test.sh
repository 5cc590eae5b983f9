#!/usr/bin/env bash
# Installs what is missing, builds Roamlog with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

BUILD=build-test

roamlog_install_packages "${ROAMLOG_PACKAGES[@]}" "${ROAMLOG_TEST_PACKAGES[@]}"

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DROAMLOG_WERROR=ON "${launcher[@]}"
cmake --build "$BUILD" -j "$(roamlog_jobs)"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j "$(roamlog_jobs)"
