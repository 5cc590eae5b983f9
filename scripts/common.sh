# Shared by run.sh and test.sh: installs the Debian packages the build needs, only when missing.

ROAMLOG_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev
  libqt6sql6-sqlite libqt6sql6-psql libboost1.81-dev
  libbenchmark-dev
)

# What ./package.sh needs beyond the build (dpkg-shlibdeps, and file to find the programs), and
# the tools that check the packages.
ROAMLOG_PACKAGING_PACKAGES=(
  dpkg-dev file
  lintian desktop-file-utils appstream systemd
)

# What the tests need beyond the build: clang with its sanitizer and fuzzer runtime, a
# PostgreSQL server started by the tests, a browser for the server's pages, and wrk for load.
ROAMLOG_TEST_PACKAGES=(
  clang libclang-rt-14-dev
  postgresql chromium wrk procps
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

# A heading for each stage of a script, with the time since the script started.
roamlog_stage() {
  printf '\n==== %s (at %d s)\n' "$1" "$SECONDS"
}

# Runs "$@" (a function or command) as the background job NAME, at a lower priority than the
# foreground, its output kept until roamlog_wait_background NAME shows it.
declare -A roamlog_background_pids=()
roamlog_background() {
  local name=$1
  shift
  mkdir -p "${TMPDIR:-/tmp}/roamlog-jobs.$$"
  ( renice -n 10 -p "$BASHPID" >/dev/null; "$@" ) >"${TMPDIR:-/tmp}/roamlog-jobs.$$/$name" 2>&1 &
  roamlog_background_pids[$name]=$!
}

# Ends the background jobs still running, with everything they started (when a stage failed).
roamlog_stop_background() {
  local pid
  for pid in "${roamlog_background_pids[@]}"; do
    roamlog_kill_tree "$pid"
  done
}
roamlog_kill_tree() {
  local child
  for child in $(pgrep -P "$1"); do
    roamlog_kill_tree "$child"
  done
  kill "$1" 2>/dev/null || true
}

# Waits for the background job NAME, shows its output and fails when it failed.
roamlog_wait_background() {
  local name=$1 log="${TMPDIR:-/tmp}/roamlog-jobs.$$/$1" status=0
  wait "${roamlog_background_pids[$name]}" || status=$?
  unset "roamlog_background_pids[$name]"
  cat "$log"
  rm -f "$log"
  if [ "$status" -ne 0 ]; then
    echo "$name failed (exit status $status)" >&2
    return "$status"
  fi
}

# Runs each fuzz target for SECONDS from its corpus in fuzz/corpus, JOBS at a time. New inputs
# and crash files go to a temporary folder, never into the checkout. Fails when one crashed.
roamlog_run_fuzzers() {
  local dir=$1 seconds=$2 jobs=$3
  shift 3
  local work running=() failed=0
  work=$(mktemp -d)
  for target in "$@"; do
    mkdir -p "$work/$target/new"
    "$dir/$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$work/$target/" "$work/$target/new" "fuzz/corpus/$target" \
      >"$work/$target/log" 2>&1 &
    running+=("$!:$target")
    if [ "${#running[@]}" -ge "$jobs" ]; then
      roamlog_fuzz_result "$work" "${running[0]}" || failed=1
      running=("${running[@]:1}")
    fi
  done
  for entry in "${running[@]}"; do
    roamlog_fuzz_result "$work" "$entry" || failed=1
  done
  if [ "$failed" -eq 0 ]; then
    rm -rf "$work"
  else
    echo "Crash inputs are kept in $work" >&2
  fi
  return "$failed"
}

# Waits for one fuzz run ("PID:TARGET") and says how it ended.
roamlog_fuzz_result() {
  local work=$1 pid=${2%%:*} target=${2#*:}
  local runs
  if wait "$pid"; then
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$work/$target/log")
    echo "$target: ${runs:-?} runs, no finding"
    return 0
  fi
  echo "$target: FAILED" >&2
  tail -40 "$work/$target/log" >&2
  return 1
}
