#!/usr/bin/env bash
# Checks the Debian packages that ./package.sh wrote into DIST (default dist/): the files they
# hold, lintian, the desktop entry, the AppStream metadata and the systemd unit, and that the
# programs run from the system's layout: the installed program finds its data folder and the
# server starts from the unit's command line with the packaged settings and answers.
# Stops at the first problem, with its reason.
set -euo pipefail
cd "$(dirname "$0")/.."
dist=${1:-dist}

fail() {
  echo "check_packages: $*" >&2
  exit 1
}
# Runs a checking tool; anything it prints, or a failure, is a problem.
quiet() {
  local out
  out=$("$@" 2>&1) || fail "$* failed: $out"
  [ -z "$out" ] || fail "$*: $out"
}

desktop=$(ls "$dist"/roamlog_*_amd64.deb)
version=$(dpkg-deb -f "$desktop" Version)
server=$dist/roamlog-server_${version}_amd64.deb
[ -f "$server" ] || fail "no $server beside $desktop"
root=$(mktemp -d)
trap 'kill "${server_pid:-}" 2>/dev/null || true; rm -rf "$root"' EXIT
dpkg-deb -x "$desktop" "$root/roamlog"
dpkg-deb -x "$server" "$root/roamlog-server"

echo "lintian"
# Infos are shown, errors and warnings fail.
findings=$(lintian --fail-on error,warning "$desktop" "$server" 2>&1) || fail "lintian: $findings"
grep -v '^running with root privileges' <<<"$findings" || true

echo "contents"
has() {
  local package=$1
  shift
  for file in "$@"; do
    [ -e "$root/$package/$file" ] || fail "$package lacks /$file"
  done
}
share=usr/share/roamlog
has roamlog usr/bin/roamlog usr/bin/roamlog-cli usr/share/doc/roamlog/copyright \
  usr/share/man/man1/roamlog.1.gz usr/share/man/man1/roamlog-cli.1.gz \
  usr/share/applications/com.fenwary.Roamlog.desktop usr/share/metainfo/com.fenwary.Roamlog.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/com.fenwary.Roamlog.svg
for size in 48 64 128 256; do
  icon=usr/share/icons/hicolor/${size}x${size}/apps/com.fenwary.Roamlog.png
  has roamlog "$icon"
  file "$root/roamlog/$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is not $size pixels"
done
# Every file of data/ is shipped, the default pick lists under their own name.
while IFS= read -r file; do
  has roamlog "$share/${file/#combos.ini/combos.ini.default}"
done < <(cd data && find . -type f -printf '%P\n')
has roamlog-server usr/bin/roamlog-server usr/share/man/man8/roamlog-server.8.gz usr/share/doc/roamlog-server/copyright \
  lib/systemd/system/roamlog-server.service etc/default/roamlog-server
[ "$(dpkg-deb -f "$server" Source)" = roamlog ] || fail "roamlog-server is not made from the source roamlog"
[ "$(dpkg-deb --info "$server" conffiles)" = /etc/default/roamlog-server ] ||
  fail "/etc/default/roamlog-server is not the server's only conffile"
for script in postinst prerm postrm; do
  dpkg-deb --info "$server" "$script" >/dev/null || fail "roamlog-server has no $script"
done
both=$(comm -12 <(cd "$root/roamlog" && find . -type f | sort) <(cd "$root/roamlog-server" && find . -type f | sort))
[ -z "$both" ] || fail "files in both packages: $both"

echo "copyright"
copyright=$root/roamlog/usr/share/doc/roamlog/copyright
cmp -s "$copyright" "$root/roamlog-server/usr/share/doc/roamlog-server/copyright" || fail "the two copyright files differ"
for data in $(find data/atlas -type f ! -name README 2>/dev/null); do
  grep -Eq "^Files:.*( |^Files:)$data( |$)" "$copyright" || fail "the copyright file does not credit $data"
done

echo "versions"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$root/run
mkdir -m 0700 "$XDG_RUNTIME_DIR"
for program in roamlog/usr/bin/roamlog roamlog/usr/bin/roamlog-cli roamlog-server/usr/bin/roamlog-server; do
  "$root/$program" --version | grep -qx "[a-z-]* $version" -i || fail "$program --version is not $version"
  "$root/$program" --help >/dev/null || fail "$program --help failed"
done
metainfo=$root/roamlog/usr/share/metainfo/com.fenwary.Roamlog.metainfo.xml
grep -o '<release version="[^"]*"' "$metainfo" | head -1 | grep -q "\"$version\"" ||
  fail "the newest release of the AppStream metadata is not $version"
for package in roamlog roamlog-server; do
  [ "$(zcat "$root/$package/usr/share/doc/$package/changelog.gz" | head -1 | sed -n 's/^[^ ]* (\([^)]*\)).*/\1/p')" = "$version" ] ||
    fail "the newest entry of $package's changelog is not $version"
done

echo "desktop entry and AppStream metadata"
quiet desktop-file-validate "$root/roamlog/usr/share/applications/com.fenwary.Roamlog.desktop"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli: $(appstreamcli validate --no-net "$metainfo")"

echo "the installed program's data folder"
folder=$(XDG_DATA_HOME="$root/xdg" "$root/roamlog/usr/bin/roamlog" --help | sed -n 's/^Data folder: //p')
[ "$folder" = "$root/xdg/Fenwary/Roamlog" ] || fail "the installed program keeps its data in '$folder'"

echo "systemd unit"
unit=lib/systemd/system/roamlog-server.service
cp -rn /lib/systemd/system/. "$root/roamlog-server/lib/systemd/system/"
MANPATH="$root/roamlog-server/usr/share/man" quiet systemd-analyze verify --root="$root/roamlog-server" roamlog-server.service
exposed=$(systemd-analyze security --offline=true --root="$root/roamlog-server" roamlog-server.service 2>&1 |
  grep -E '^✗ (NoNewPrivileges|PrivateTmp|ProtectSystem|ProtectHome|PrivateDevices)=' || true)
[ -z "$exposed" ] || fail "the unit is not confined: $exposed"
grep -qx 'StateDirectory=roamlog-server' "$root/roamlog-server/$unit" || fail "the unit has no state folder roamlog-server"

echo "the server from the unit's command line and the packaged settings"
# ExecStart with its continued lines, run by a shell with the unit's Environment= defaults
# and then the settings file, as systemd does; only the address and the file are made local.
command=$(sed -n '/^ExecStart=/,/[^\\]$/p' "$root/roamlog-server/$unit" | sed 's/\\$//; s/^ExecStart=//' | tr '\n' ' ')
defaults=$(sed -n 's/^Environment=//p' "$root/roamlog-server/$unit")
# The log exists before the server starts, so that following it cannot miss the start.
: >"$root/roamlog-server.log"
(
  eval "$defaults"
  # shellcheck disable=SC1091
  source "$root/roamlog-server/etc/default/roamlog-server"
  LISTEN=127.0.0.1:0 DATABASE=$root/roamlog.sqlite
  eval "exec ${command/\/usr\/bin\/roamlog-server/$root/roamlog-server/usr/bin/roamlog-server}"
) >"$root/roamlog-server.log" 2>&1 &
server_pid=$!
address=$(timeout 30 tail -n +1 -F "$root/roamlog-server.log" 2>/dev/null | grep -m1 -o '127\.0\.0\.1:[0-9]*' || true)
[ -n "$address" ] || fail "the server did not start: $(cat "$root/roamlog-server.log")"
get() {
  timeout 10 bash -c "exec 3<>/dev/tcp/${address%:*}/${address#*:};
    printf 'GET %s HTTP/1.0\r\nHost: %s\r\n\r\n' '$1' $address >&3; cat <&3"
}
reply=$(get /roamlog/version.txt | tail -1)
[ "$reply" = "${version//./}" ] || fail "the server's version file says '$reply'"
# The record browser's map is drawn from the server package's own map data.
get '/cgi-bin/roamlogdb.cgi?cmd=find' | grep -q '<svg' || fail "the record browser shows no map: $(cat "$root/roamlog-server.log")"
kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly on SIGTERM"
server_pid=""

echo "both packages are sound: $(basename "$desktop") $(basename "$server")"
