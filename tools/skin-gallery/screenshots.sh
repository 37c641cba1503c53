#!/usr/bin/env bash
# Takes the skin gallery's screenshots under Xvfb, at scale 1 and at
# QT_SCALE_FACTOR=2, into docs/screenshots/skin-gallery.png and
# docs/screenshots/skin-gallery@2x.png.
# Usage: tools/skin-gallery/screenshots.sh [build folder]   (default: build/default)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/default}"
gallery="$build/tools/skin-gallery/zaro-skin-gallery"
cmake --build "$build" --target zaro-skin-gallery zaro_skins >/dev/null
mkdir -p docs/screenshots

shoot() {
  local scale="$1" file="$2"
  QT_SCALE_FACTOR="$scale" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 3840x3600x24" "$gallery" --screenshot "$file"
}
shoot 1 docs/screenshots/skin-gallery.png
shoot 2 docs/screenshots/skin-gallery@2x.png
identify docs/screenshots/skin-gallery.png docs/screenshots/skin-gallery@2x.png 2>/dev/null || true
