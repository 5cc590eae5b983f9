# Shared by run.sh and test.sh: installs the Debian packages the build needs, only when missing.

ROAMLOG_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libqt6sql6-sqlite libqt6sql6-psql libcpp-httplib-dev
  libbenchmark-dev
)

# What the tests need beyond the build: clang with its sanitizer and fuzzer runtime, a
# PostgreSQL server started by the tests, a browser for the server's pages, and wrk for load.
ROAMLOG_TEST_PACKAGES=(
  clang libclang-rt-14-dev
  postgresql chromium wrk
)

roamlog_missing_packages() {
  local missing=()
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  echo "${missing[@]}"
}

roamlog_install_packages() {
  local missing
  missing=$(roamlog_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if ! command -v apt-get >/dev/null 2>&1; then
    echo "Missing packages: $missing (install them with your system's package manager)" >&2
    return 1
  fi
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  echo "Installing: $missing"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  # shellcheck disable=SC2086
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

roamlog_jobs() {
  nproc 2>/dev/null || echo 2
}
