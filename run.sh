#!/usr/bin/env bash
# Installs what is missing, builds Roamlog in Release, installs it into one per-user folder
# and starts it. A user's Roamlog.ppd, Roamlog.bak and combos.ini there are never touched.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

PREFIX="${ROAMLOG_HOME:-$HOME/Roamlog}"
BUILD=build-release

roamlog_install_packages "${ROAMLOG_PACKAGES[@]}"

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DROAMLOG_BUILD_TESTS=OFF -DROAMLOG_BUILD_BENCH=OFF
cmake --build "$BUILD" -j "$(roamlog_jobs)"

# The install only adds program files; the data files are the user's (the program copies the
# default pick lists at its first start).
mkdir -p "$PREFIX"
cmake --install "$BUILD" --prefix "$PREFIX"

echo "Roamlog is installed in $PREFIX"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start $PREFIX/roamlog from a desktop session." >&2
  exit 0
fi
exec "$PREFIX/roamlog"
