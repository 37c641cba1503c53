#!/usr/bin/env bash
# playback: the movie view against the mpv command-line player on the same
# clip, under Xvfb (see bench/playback.cpp).
# Usage: bench/playback.sh [BUILD_DIR] [CLIP [ROUNDS]]   (BUILD_DIR defaults to build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
bin="$build/bench/playback"
[ -x "$bin" ] || { echo "build $build first (target playback)"; exit 2; }
shift || true
exec xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" env QT_QPA_PLATFORM=xcb "$bin" "$@"
