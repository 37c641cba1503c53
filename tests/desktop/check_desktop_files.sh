#!/usr/bin/env bash
# What the desktop reads of the player, checked with the desktop's own tools:
#   check_desktop_files.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir=$1 build_dir=$2 version=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for entry in "$source_dir"/resources/desktop/*.desktop; do
  desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
done
player="$source_dir/resources/desktop/tv.zaro.ZaroPlayer.desktop"
for line in "MimeType=x-scheme-handler/zaro;" "Exec=zaro-player %u" "TryExec=zaro-player" \
            "Icon=tv.zaro.ZaroPlayer" "StartupWMClass=" "Keywords=" "Categories="; do
  grep -q "^$line" "$player" || fail "the player's entry lacks $line"
done

metainfo="$source_dir/resources/desktop/tv.zaro.ZaroPlayer.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"
# Every screenshot it names is one of docs/screenshots.
for shot in $(grep -o 'screenshots/[^<]*\.png' "$metainfo" | sed 's|screenshots/||'); do
  [ -f "$source_dir/docs/screenshots/$shot" ] || fail "the metainfo names $shot, not in docs/screenshots"
done

icons="$build_dir/share/icons/hicolor"
for name in tv.zaro.ZaroPlayer tv.zaro.ZaroPlayer.Uninstaller; do
  for size in 16 22 24 32 48 64 128 256 512; do
    png="$icons/${size}x${size}/apps/$name.png"
    if [ ! -f "$png" ]; then fail "no $png"; continue; fi
    got=$(identify -format '%wx%h' "$png")
    [ "$got" = "${size}x${size}" ] || fail "$png is $got"
  done
  xmllint --noout "$icons/scalable/apps/$name.svg" || fail "$name.svg is not well-formed"
  grep -q '<path fill="#ffffff" d="M' "$icons/scalable/apps/$name.svg" || fail "$name.svg has no glyph"
done

for page in zaro-player zaro-uninstaller zaro-service; do
  gz="$build_dir/share/man/man1/$page.1.gz"
  [ -f "$gz" ] || { fail "no $gz"; continue; }
  warnings=$(zcat "$gz" | LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l - 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "desktop files: all checks passed"
