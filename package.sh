#!/usr/bin/env bash
# Builds Roamlog in Release and writes its Debian packages into dist/:
#   roamlog_<version>_amd64.deb         the program and roamlog-cli
#   roamlog-server_<version>_amd64.deb  the server as a systemd service
# ./package.sh --build-dir DIR packages the build in DIR instead (./test.sh packages the
# build it has just tested).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

build=""
if [ "${1:-}" = --build-dir ]; then
  build=$2
fi

roamlog_install_packages "${ROAMLOG_PACKAGES[@]}" "${ROAMLOG_PACKAGING_PACKAGES[@]}"

if [ -z "$build" ]; then
  build=build-package
  # Debian's hardening flags, without debug information: the packages ship stripped programs.
  flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get CXXFLAGS)
  cppflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)
  ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
  launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DROAMLOG_BUILD_TESTS=OFF -DROAMLOG_BUILD_BENCH=OFF -DROAMLOG_UNITY_BUILD=ON "${launcher[@]}" \
    "-DCMAKE_CXX_FLAGS=$cppflags $flags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
fi
# Only what the packages hold.
cmake --build "$build" -j "$(roamlog_jobs)" --target roamlog roamlog-cli roamlog-server roamlog_package_files

mkdir -p dist
rm -f dist/roamlog_*.deb dist/roamlog-server_*.deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$PWD/$build/cpack" \
  -D CPACK_OUTPUT_FILE_PREFIX="$PWD/dist" >/dev/null
ls dist/*.deb
