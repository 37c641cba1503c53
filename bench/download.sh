#!/usr/bin/env bash
# download: a 1 GiB file served by zaro-service on 127.0.0.1, fetched once by
# the player (a "zaro://" link handed to a running zaro-player, the video file
# going into its media folder through its download item) and once by
# `curl -o` from the same server, in the same run. Prints wall time and
# throughput, CPU time and the player's peak memory above its idle level, with
# the ratios against curl and the goals beside them.
# Usage: bench/download.sh [BUILD_DIR] [SIZE_MB]   (BUILD_DIR defaults to build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/support/service.sh
wait_for_interval=0.05  # the end of the transfer is timed through wait_for
build="${1:-build/release}"
size_mb="${2:-1024}"
player_bin="$build/client/source/zaro-player"
service_bin="$build/tools/zaro-service/zaro-service"
[ -x "$player_bin" ] && [ -x "$service_bin" ] || { echo "build $build first"; exit 2; }

work=$(mktemp -d /tmp/zaro-bench-download-XXXXXX)
service_pid=""; player_pid=""
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

zaro_sandbox "$work"
library="$XDG_DATA_HOME/Zaro Player/ZaroPlayer.db"
permalink="big-${size_mb}mb"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }   # user + system, in clock ticks
hz=$(getconf CLK_TCK)
kib() { awk -v k="$2" '$1 == k":" { print $2 }' "/proc/$1/status"; }

zaro_start_service "$service_bin" "$work" --demo --big-file "$size_mb" --log "$work/requests.log"

# The player, started and idle.
"$player_bin" > "$work/player.out" 2>&1 &
player_pid=$!
wait_for 30 grep -qs "FirstLaunch=false" "$XDG_CONFIG_HOME/tv.zaro.ZaroPlayer.conf"
sleep 1
idle_kib=$(kib "$player_pid" VmRSS)
ticks_before=$(ticks "$player_pid")
start_ns=$(date +%s%N)
"$player_bin" "zaro://cmd?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=$permalink"
finished() { [ "$(sqlite3 -cmd ".timeout 10000" "$library" "SELECT COUNT(*) FROM Videos WHERE VIDEO_PERMALINK = '$permalink';" 2>/dev/null)" = "1" ]; }
wait_for 600 finished
end_ns=$(date +%s%N)
ticks_after=$(ticks "$player_pid")
peak_kib=$(kib "$player_pid" VmHWM)
path=$(sqlite3 -cmd ".timeout 10000" "$library" "SELECT PATH FROM Videos WHERE VIDEO_PERMALINK = '$permalink';")
bytes=$(stat -c %s "$path")
rm -f "$path"

# curl from the same server, the same file.
target=$(grep -o '"path":"/cache/external/[^"]*"' "$work/requests.log" | head -1 | sed 's/"path":"\(.*\)"/\1/')
TIMEFORMAT="%R %U %S"
curl_times=$( { time curl -s -o "$work/curl.bin" "http://127.0.0.1:$service_port$target?permalinkId=$permalink" ; } 2>&1 )
curl_bytes=$(stat -c %s "$work/curl.bin")

awk -v ours_ns=$((end_ns - start_ns)) -v ticks=$((ticks_after - ticks_before)) -v hz="$hz" \
    -v idle="$idle_kib" -v peak="$peak_kib" -v bytes="$bytes" -v cbytes="$curl_bytes" \
    -v ct="$curl_times" 'BEGIN {
  split(ct, c, " "); cwall = c[1]; ccpu = c[2] + c[3];
  wall = ours_ns / 1e9; cpu = ticks / hz;
  mib = bytes / 1048576; tput = mib / wall; ctput = (cbytes / 1048576) / cwall;
  above = (peak - idle) / 1024;
  printf "file: %.0f MiB (player %d bytes, curl %d bytes)\n", mib, bytes, cbytes;
  printf "%-28s %10s %10s %8s\n", "", "player", "curl", "ratio";
  printf "%-28s %10.2f %10.2f %8.2f\n", "wall time (s)", wall, cwall, wall / cwall;
  printf "%-28s %10.1f %10.1f %8.2f   goal >= 0.90: %s\n", "throughput (MiB/s)", tput, ctput, tput / ctput, (tput / ctput >= 0.9 ? "met" : "MISSED");
  printf "%-28s %10.2f %10.2f %8.2f   goal <= 1.50: %s\n", "CPU time (s)", cpu, ccpu, (ccpu > 0 ? cpu / ccpu : 0), (ccpu > 0 && cpu / ccpu <= 1.5 ? "met" : "MISSED");
  printf "%-28s %10.1f %10s %8s   goal <= 64: %s\n", "peak memory above idle (MiB)", above, "-", "-", (above <= 64 ? "met" : "MISSED");
  printf "(the player'\''s time includes the meta information, thumbnail and library steps)\n";
}'
