#!/usr/bin/env bash
# Installs what is missing, builds Roamlog with the window's tests and runs them; packages the
# tested build and checks the packages; runs the core, tool and server tests under
# AddressSanitizer and UBSan, and each fuzz target for a while from its corpus (when clang is
# there).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

roamlog_install_packages "${ROAMLOG_PACKAGES[@]}" "${ROAMLOG_TEST_PACKAGES[@]}" "${ROAMLOG_PACKAGING_PACKAGES[@]}"

launcher=()
if command -v ccache >/dev/null 2>&1; then
  # Paths relative to this checkout, so that every clone shares the cache: ccache makes the
  # compiler's arguments relative, the prefix map the file names that the batches of sources
  # include by their full path (__FILE__ in the logging and test macros, the debug lines).
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache "-DCMAKE_CXX_FLAGS=-ffile-prefix-map=$PWD/=")
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
jobs=$(roamlog_jobs)
export QT_QPA_PLATFORM=offscreen
# Every build here starts from scratch on a clean machine: the program's sources are compiled
# in batches; the sanitizer build keeps line tables (for its stack traces), the other none.
quick=(-DROAMLOG_UNITY_BUILD=ON)
fuzz_seconds=${ROAMLOG_FUZZ_SECONDS:-15}

roamlog_stage "Build the programs and the window's tests"
# Each test is built and run once: the window's here, the core's, the tool's and the server's
# under the sanitizers below. The benchmarks are left out: CI runs none of them (they are
# measured in Release by hand).
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DROAMLOG_WERROR=ON \
  -DROAMLOG_BUILD_BENCH=OFF "${quick[@]}" -DCMAKE_CXX_FLAGS_DEBUG=-g0 "${launcher[@]}"
cmake --build build-test -j "$jobs" --target roamlog roamlog-cli roamlog-server roamlog_window_tests

# The tests mostly wait (for servers, browsers, timers), so the builds of the later stages
# compile meanwhile, at a lower priority, and the tests run twice as many as there are cores.
test_jobs=$((jobs * 2))
trap roamlog_stop_background EXIT
sanitize_build() {
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DROAMLOG_WERROR=ON \
    -DROAMLOG_SANITIZE=ON -DROAMLOG_BUILD_BENCH=OFF "${quick[@]}" -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    "${launcher[@]}"
  cmake --build build-sanitize --target roamlog_core_tests -j "$jobs"
}
fuzz_targets=(fuzz_decodeline fuzz_databasefile fuzz_picklists fuzz_csvreader)
fuzz_build_and_run() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DROAMLOG_BUILD_FUZZ=ON \
    -DROAMLOG_BUILD_TESTS=OFF -DROAMLOG_BUILD_BENCH=OFF "${quick[@]}" "${launcher[@]}"
  cmake --build build-fuzz --target roamlog_fuzz -j "$jobs"
  roamlog_run_fuzzers build-fuzz/fuzz "$fuzz_seconds" "$jobs" "${fuzz_targets[@]}"
}

roamlog_stage "Run the window's tests (the sanitizer build compiles meanwhile)"
roamlog_background sanitize sanitize_build
ctest --test-dir build-test/window-tests --output-on-failure -j "$test_jobs"

roamlog_stage "Debian packages of the tested build"
# The stage checks the packaging (files, metadata, maintainer scripts, unit, lintian) on the
# build just tested rather than compiling everything once more; ./package.sh makes the same
# packages from a Release build with Debian's hardening flags.
./package.sh --build-dir build-test
scripts/check_packages.sh

roamlog_stage "Core, tool and server tests under AddressSanitizer and UBSan (the fuzz targets are built and run meanwhile)"
roamlog_wait_background sanitize
has_clang=0
if command -v clang++ >/dev/null 2>&1; then
  has_clang=1
  roamlog_background fuzz fuzz_build_and_run
fi
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-sanitize/core-tests --output-on-failure -j "$test_jobs"

if [ "$has_clang" -eq 1 ]; then
  roamlog_stage "Fuzz targets, $fuzz_seconds s each"
  roamlog_wait_background fuzz
else
  echo "clang++ not found: the fuzz targets are not run" >&2
fi
roamlog_stage "All tests passed"
