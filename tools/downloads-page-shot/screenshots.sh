#!/usr/bin/env bash
# Takes the downloads page's screenshot under Xvfb into
# docs/screenshots/downloads-page.png.
# Usage: tools/downloads-page-shot/screenshots.sh [build folder]   (default: build/default)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/default}"
cmake --build "$build" --target zaro-downloads-page-shot zaro_skins >/dev/null
mkdir -p docs/screenshots
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/tools/downloads-page-shot/zaro-downloads-page-shot" docs/screenshots/downloads-page.png
