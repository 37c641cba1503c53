#!/usr/bin/env bash
# The Debian packages as a user gets them: built by cpack, checked by lintian,
# installed with apt, and then used as the desktop uses them: a "zaro://" link
# opened with xdg-open in a fresh desktop session (a temporary home and XDG
# folders, Xvfb, a private session bus) starts the installed player, which
# downloads the video from the installed reference service. Removal leaves
# none of the packages' files or folders behind.
#
#   test_apt_install.sh BUILD_DIR
#
# Needs root (apt): skipped otherwise (exit 77), and when the packages are
# installed already (someone's own installation is left alone). Whatever
# happens, the packages it installed are purged again at the end; a run that
# was killed before it could do so is cleaned up by the next one. Runs from
# several build trees of one machine take turns.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
packages=(zaro-player zaro-service)
marker=/var/tmp/zaro-player-package-test.installed
link='zaro://cmd?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=cooking-basics-1'

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# Purges those of the packages that are there (apt refuses unknown names).
purge() {
  local present=() p
  for p in "${packages[@]}"; do
    if dpkg-query -W "$p" >/dev/null 2>&1; then present+=("$p"); fi
  done
  [ ${#present[@]} -eq 0 ] || apt purge "${present[@]}"
}
apt() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=120 "$@"
}
# wait_for SECONDS WHAT COMMAND...: until COMMAND succeeds.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  for ((i = 0; i < seconds * 4; i++)); do
    if "$@"; then return 0; fi
    sleep 0.25
  done
  fail "timed out after $seconds s waiting for $what"
}

[ "$(id -u)" -eq 0 ] || skip "installing packages needs root"
command -v apt-get >/dev/null || skip "no apt-get"
# One run at a time on a machine (several build trees may run the suite):
# the lock is held until this script ends.
exec 9>/var/lock/zaro-player-package-test.lock
flock -w 600 9 || skip "another run of this test held the machine for ten minutes"
if [ -e "$marker" ]; then
  echo "A run before this one ended before removing its packages: purging them."
  purge >/dev/null 2>&1 || true
  rm -f "$marker"
fi
for p in "${packages[@]}"; do
  if installed "$p"; then skip "$p is installed already; not touching it"; fi
done

work=$(mktemp -d /tmp/zaro-package-test.XXXXXX)
pids=()
cleanup() {
  status=$?
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ -e "$marker" ]; then
    purge >"$work/purge.log" 2>&1 || cat "$work/purge.log"
    rm -f "$marker"
  fi
  if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
    for log in "$work"/*.log; do [ -f "$log" ] && { echo "--- $log"; tail -n 40 "$log"; }; done
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# --- build and check ----------------------------------------------------------
cpack --config "$build_dir/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
  fail "cpack"
debs=("$work"/packages/zaro-player_*_amd64.deb "$work"/packages/zaro-service_*_amd64.deb)
for deb in "${debs[@]}"; do [ -f "$deb" ] || fail "cpack made no $deb"; done
lintian --fail-on error "${debs[@]}" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
# The player's libraries are computed, not listed by hand.
depends=$(dpkg-deb -f "${debs[0]}" Depends)
for library in libqt6core6 libqt6widgets6 libqt6dbus6 libmpv2 libsqlite3-0; do
  grep -q "$library" <<<"$depends" || fail "the player does not depend on $library: $depends"
done

# What the packages hold, and which of their folders are there before.
contents=$work/contents
for deb in "${debs[@]}"; do dpkg-deb --fsys-tarfile "$deb" | tar -t; done |
  sed 's|^\./|/|; s|/$||' | grep -v '^$' | sort -u >"$contents"
new_folders=$work/new-folders
: >"$new_folders"
while read -r path; do
  if [ ! -e "$path" ]; then echo "$path" >>"$new_folders"; fi
done <"$contents"

# --- install --------------------------------------------------------------------
touch "$marker"
apt install --no-install-recommends "${debs[@]}" >"$work/install.log" 2>&1 || fail "apt install"
for p in "${packages[@]}"; do installed "$p" || fail "$p is not installed"; done
[ "$(command -v zaro-player)" = /usr/bin/zaro-player ] || fail "zaro-player is not on the path"
version=$(zaro-player --version) || fail "zaro-player --version"
grep -q "$(dpkg-deb -f "${debs[0]}" Version)" <<<"$version" || fail "--version says $version"
# (Unless dpkg is told to leave manual pages out, as slim images are.)
if ! grep -rqs '^path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d; then
  for page in zaro-player zaro-uninstaller zaro-service; do
    man -w "$page" >/dev/null 2>&1 || fail "no manual page for $page"
  done
fi

# --- a desktop session of a new user ----------------------------------------------
home=$work/home
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 20 "Xvfb" test -s "$work/display"
dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >"$work/dbus.log" 2>&1 &
pids+=($!)
wait_for 20 "the session bus" test -s "$work/bus"
/usr/bin/zaro-service --port 0 --demo >"$work/service.log" 2>&1 &
pids+=($!)
wait_for 20 "zaro-service" grep -q 'listening on' "$work/service.log"
port=$(sed -n 's/.*listening on [0-9.]*:\([0-9]*\).*/\1/p' "$work/service.log" | head -n 1)

session=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$home" USER=root LANG=C.UTF-8
  DISPLAY=":$(cat "$work/display")" DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus")"
  XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/run"
  ZARO_SERVICE_URL="http://127.0.0.1:$port" ZARO_DIALOG_ANSWERS=update=0
  ZARO_DIALOG_LOG="$work/dialogs.log" LIBGL_ALWAYS_SOFTWARE=1)

# Nothing is registered by hand: the link reaches the player through the
# desktop entry the package installed.
handler=$("${session[@]}" xdg-mime query default x-scheme-handler/zaro)
[ "$handler" = tv.zaro.ZaroPlayer.desktop ] || fail "zaro:// links are handled by '$handler'"
"${session[@]}" xdg-open "$link" >"$work/player.log" 2>&1 &
opener=$!
pids+=("$opener")

player_pid() {
  local pid
  for pid in $(pgrep -x zaro-player); do
    if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = /usr/bin/zaro-player ] &&
       tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$home"; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}
wait_for 60 "the installed player" player_pid
pids+=("$(player_pid)")
library="$home/.local/share/Zaro Player/ZaroPlayer.db"
downloaded() {
  [ -f "$library" ] || return 1
  local path
  path=$(sqlite3 -cmd '.timeout 5000' "$library" 'SELECT PATH FROM Videos;' 2>/dev/null) || return 1
  [ -n "$path" ] && [ -s "$path" ]
}
wait_for 120 "the video downloaded by the installed player" downloaded
echo "Downloaded: $(sqlite3 "$library" 'SELECT TITLE FROM Videos;')"
# Installed from its package, the player offers the demo's update by its
# version (Yes would open the service's download page), not as a file to fetch.
wait_for 30 "the update offered to a package install" \
  grep -q '^update Zaro Player 2\.1\.0 is available\. Do you want to open its download page' \
  "$work/dialogs.log"

# The login item names the installed program, as the desktop entry does.
login_item="$home/.config/autostart/tv.zaro.ZaroPlayer.desktop"
[ -f "$login_item" ] || fail "no login item at $login_item"
desktop-file-validate "$login_item" || fail "the login item is not a valid desktop entry"
grep -qx 'Exec="/usr/bin/zaro-player"' "$login_item" || fail "the login item: $(cat "$login_item")"

"${session[@]}" zaro-player --quit || fail "zaro-player --quit"
gone() { ! kill -0 "$1" 2>/dev/null; }
wait_for 30 "the player to quit" gone "$opener"
wait "$opener" || fail "xdg-open (and the player it started) ended with $?"

# --- removal ----------------------------------------------------------------------
purge >"$work/purge.log" 2>&1 || fail "apt purge"
rm -f "$marker"
for p in "${packages[@]}"; do ! installed "$p" || fail "$p is still installed"; done
left=$work/left
: >"$left"
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then
    # Folders that were there before (/usr/share, ...) stay; everything else goes.
    if [ -d "$path" ] && ! grep -qxF "$path" "$new_folders"; then continue; fi
    echo "$path" >>"$left"
  fi
done <"$contents"
[ ! -s "$left" ] || fail "left after removal: $(cat "$left")"
echo "package test: built, lintian clean, installed, used through xdg-open, removed without a trace"
