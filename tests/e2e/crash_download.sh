#!/usr/bin/env bash
# Kills the player with SIGKILL at random moments of a 256 MiB download, ten
# times, restarting it each time. In the end the file must be identical to the
# served one, the library must hold exactly one row for it, no job row may be
# left and the database must pass its integrity check.
# Usage: crash_download.sh ZARO_PLAYER ZARO_SERVICE
set -euo pipefail
. "$(dirname "$0")/../support/service.sh"
player_bin="$1"
service_bin="$2"
kills="${CRASH_KILLS:-10}"

work=$(mktemp -d /tmp/zaro-crash-XXXXXX)
service_pid=""
player_pid=""
cleanup() {
  [ -n "$player_pid" ] && kill -9 "$player_pid" 2>/dev/null || true
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  [ -n "${CRASH_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

zaro_sandbox "$work"
settings="$XDG_CONFIG_HOME/tv.zaro.ZaroPlayer.conf"
library="$XDG_DATA_HOME/Zaro Player/ZaroPlayer.db"
media="$XDG_DATA_HOME/Zaro Player/ZaroMedia"

fail() { echo "crash_download: FAIL: $*" >&2; exit 1; }
query() { sqlite3 -cmd ".timeout 10000" "$library" "$1" 2>/dev/null || echo "?"; }

# The transfer is slowed to 16 MiB/s so that every kill lands in the middle of it.
zaro_start_service "$service_bin" "$work" --demo --big-file 256 --fault-rate 16777216 \
  --fault-path /cache/ --log "$work/requests.log" || fail "the service did not start"

start_player() {
  "$player_bin" > "$work/player.out" 2>&1 &
  player_pid=$!
}

start_player
wait_for 30 grep -qs "FirstLaunch=false" "$settings" || fail "the player did not finish starting"
"$player_bin" "zaro://cmd?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=big-256mb" \
  || fail "the link was not handed over"
has_partial() { [ -n "$(find "$media" -maxdepth 1 -type f -size +0 2>/dev/null)" ]; }
wait_for 60 has_partial || fail "the download did not start"

for i in $(seq 1 "$kills"); do
  # A random moment between 0.3 and 1.5 seconds from now.
  sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.2f", 0.3 + (r % 120) / 100 }')"
  kill -9 "$player_pid"
  wait "$player_pid" 2>/dev/null || true
  size=$(find "$media" -maxdepth 1 -type f -printf '%s\n' 2>/dev/null | sort -n | tail -1)
  echo "kill $i: partial file at ${size:-0} bytes"
  start_player
done

no_jobs_left() { [ "$(query 'SELECT COUNT(*) FROM Jobs;')" = "0" ]; }
one_row() { [ "$(query "SELECT COUNT(*) FROM Videos WHERE VIDEO_PERMALINK = 'big-256mb';")" = "1" ]; }
wait_for "${CRASH_FINISH_SECONDS:-240}" no_jobs_left || fail "a job row is left"
wait_for 30 one_row || fail "the library does not hold exactly one row for the video"
[ "$(query 'SELECT COUNT(*) FROM Videos;')" = "1" ] || fail "unexpected library rows"
path=$(query "SELECT PATH FROM Videos WHERE VIDEO_PERMALINK = 'big-256mb';")
[ -f "$path" ] || fail "the library's file $path is missing"

# The served bytes, fetched whole with curl from the address the player used.
target=$(grep -o '"path":"/cache/external/[^"]*"' "$work/requests.log" | head -1 | sed 's/"path":"\(.*\)"/\1/')
[ -n "$target" ] || fail "no video request in the service's log"
curl -sf -o "$work/served.bin" "http://127.0.0.1:$service_port$target?permalinkId=big-256mb" || fail "curl"
cmp "$path" "$work/served.bin" || fail "the downloaded file differs from the served one"
[ "$(query 'PRAGMA integrity_check;')" = "ok" ] || fail "integrity check"
leftovers=$(find "$media" -maxdepth 1 -type f | wc -l)
[ "$leftovers" = "1" ] || fail "$leftovers files in the media folder, expected 1"

echo "crash_download: 1 passed, 0 failed (file identical after $kills kills)"
