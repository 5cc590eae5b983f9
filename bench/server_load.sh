#!/usr/bin/env bash
# Load test of roamlog-server with wrk on a throw-away SQLite database:
#   bench/server_load.sh [path/to/roamlog-server]
# Measures roamlog/version.txt, add-record requests and forum posts with 64 connections and
# prints each rate, its ratio to the version.txt rate and the 99th percentile latency. The
# add-record requests are measured twice: all with the same values (each index then grows at
# one end), and varied as real records are. Then version.txt and varied records again with
# 1,000 kept-alive connections (ROAMLOG_LOAD_MANY_CONNECTIONS; 0 leaves that out).
# Targets: add-record and forum post at least 0.3 times the version.txt rate, p99 under 50 ms.
# Exits 1 when a target is missed or a request was refused. Not run by the test suite.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
server=${1:-${ROAMLOG_SERVER:-$here/../build-release/src/server/roamlog-server}}
duration=${ROAMLOG_LOAD_DURATION:-10s}
connections=${ROAMLOG_LOAD_CONNECTIONS:-64}
many=${ROAMLOG_LOAD_MANY_CONNECTIONS:-1000}

command -v wrk >/dev/null || { echo "wrk is not installed (Debian package wrk)" >&2; exit 2; }
[ -x "$server" ] || { echo "no server program at $server (build the roamlog-server target)" >&2; exit 2; }

work=$(mktemp -d)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid"
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The limits per installation are raised out of the way; the scripts also send every
# request from an installation of its own. Every connection comes from 127.0.0.1, so the cap
# per client address is lifted too.
"$server" serve --listen 127.0.0.1:0 --database "$work/load.sqlite" --connections-per-address 0 \
  --records-per-hour 100000000 --posts-per-hour 100000000 >"$work/server.log" 2>&1 &
server_pid=$!

base=""
for _ in $(seq 100); do
  base=$(grep -m1 -o 'listening on http://[^ ]*/' "$work/server.log" | sed 's/^listening on //' || true)
  [ -n "$base" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$base" ]; then
  echo "the server did not start:" >&2
  cat "$work/server.log" >&2
  exit 2
fi
echo "server at $base, database $work/load.sqlite, $connections connections for $duration each"

# The server's processor time so far, in clock ticks (user and system).
server_ticks() { awk '{ print $14 + $15 }' "/proc/$server_pid/stat"; }

# Runs wrk with CONNECTIONS and prints "RATE P99_MS REFUSED CPU_US": CPU_US is the server's
# processor time per request, which a machine busy with other work changes far less than the
# rate.
measure_with() {
  local out before after
  before=$(server_ticks)
  out=$(wrk -t2 -c"$1" -d"$duration" --latency "${@:2}")
  after=$(server_ticks)
  echo "$out" >"$work/wrk-$(date +%s%N).txt"
  local rate p99 refused
  rate=$(echo "$out" | awk '/^Requests\/sec:/ { print $2 }')
  p99=$(echo "$out" | awk '$1 == "99%" {
      v = $2; unit = v; gsub(/[0-9.]/, "", unit); sub(/[a-z]+$/, "", v);
      if (unit == "us") v = v / 1000; else if (unit == "s") v = v * 1000; else if (unit == "m") v = v * 60000;
      print v }')
  refused=$(echo "$out" | awk '/Non-2xx or 3xx responses:/ { print $NF }')
  local requests cpu
  requests=$(echo "$out" | awk '/requests in/ { print $1 }')
  cpu=$(awk -v t=$((after - before)) -v n="$requests" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", t * 1e6 / hz / n }')
  echo "$rate ${p99:-0} ${refused:-0} $cpu"
}
measure() { measure_with "$connections" "$@"; }

read -r version_rate version_p99 version_refused version_cpu < <(measure "${base}roamlog/version.txt")
read -r add_rate add_p99 add_refused add_cpu < <(measure -s "$here/wrk_writes.lua" "$base" -- add)
read -r post_rate post_p99 post_refused post_cpu < <(measure -s "$here/wrk_writes.lua" "$base" -- post)
read -r varied_rate varied_p99 varied_refused varied_cpu < <(measure -s "$here/wrk_writes.lua" "$base" -- varied)
if [ "$many" != 0 ]; then
  read -r many_version_rate _ many_version_refused many_version_cpu < <(measure_with "$many" "${base}roamlog/version.txt")
  read -r many_rate many_p99 many_refused many_cpu < <(measure_with "$many" -s "$here/wrk_writes.lua" "$base" -- varied)
fi

missed=0
report() { # name rate p99 refused cpu checks(none|ratio|ratio+p99) [reference rate]
  local ratio verdict="ok"
  ratio=$(awk -v a="$2" -v b="${7:-$version_rate}" 'BEGIN { printf "%.2f", a / b }')
  if [ "$6" != none ] && awk -v r="$ratio" 'BEGIN { exit !(r < 0.3) }'; then verdict="MISSED"; fi
  if [ "$6" = ratio+p99 ] && awk -v p="$3" 'BEGIN { exit !(p >= 50) }'; then verdict="MISSED"; fi
  [ "$4" != 0 ] && verdict="REFUSED $4"
  [ "$verdict" != ok ] && missed=1
  printf "%-12s %10.0f req/s  ratio %5s  p99 %8.2f ms  server %6s us/req  %s\n" "$1" "$2" "$ratio" "$3" "$5" "$verdict"
}
echo
report "version.txt" "$version_rate" "$version_p99" "$version_refused" "$version_cpu" none
report "add-record" "$add_rate" "$add_p99" "$add_refused" "$add_cpu" ratio+p99
report "forum post" "$post_rate" "$post_p99" "$post_refused" "$post_cpu" ratio+p99
report "add, varied" "$varied_rate" "$varied_p99" "$varied_refused" "$varied_cpu" ratio+p99
if [ "$many" != 0 ]; then
  echo "with $many connections (each waits for its answer, so the p99 is the queue's):"
  report "version.txt" "$many_version_rate" 0 "$many_version_refused" "$many_version_cpu" none "$many_version_rate"
  report "add, varied" "$many_rate" "$many_p99" "$many_refused" "$many_cpu" ratio "$many_version_rate"
fi
echo "targets: add-record and forum post >= 0.3 x version.txt, p99 < 50 ms; with $many connections the ratio"
exit $missed
