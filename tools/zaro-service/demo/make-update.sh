#!/usr/bin/env bash
# Re-creates the demo catalog's offered update, a tiny Debian package that
# stands in for the player's own (the player keeps an update only when it is a
# Debian package matching the offered SHA-256, which the service computes). The
# result is committed, so the demo never needs dpkg-deb; run this only to
# change it. The package is named apart from the player's, so installing it by
# mistake replaces nothing.
set -euo pipefail
cd "$(dirname "$0")"
name=zaro-player-demo-update
version=2.1.0
epoch=1714521600  # 2024-05-01, for the same bytes on every run
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/pkg/DEBIAN" "$work/pkg/usr/share/doc/$name"
cat > "$work/pkg/DEBIAN/control" <<CONTROL
Package: $name
Version: $version
Architecture: all
Maintainer: Zaro Player developers <player@zaro.tv>
Section: video
Priority: optional
Description: stand-in for a Zaro Player update (demo only)
 The reference service's demo offers this package as an update so that the
 player's update check can be tried. It installs nothing but this text.
CONTROL
cat > "$work/pkg/usr/share/doc/$name/README" <<README
Zaro Player $version (demo update)

This package stands in for the player's own. The demo service offers it as
an update so that the player's update check, its confirmation dialog and the
download to the Desktop can be tried out. It installs nothing but this file.
README
chmod 0755 "$work/pkg/DEBIAN"
chmod 0644 "$work/pkg/DEBIAN/control" "$work/pkg/usr/share/doc/$name/README"
find "$work/pkg" -exec touch -h -d "@$epoch" {} +
mkdir -p updates
SOURCE_DATE_EPOCH=$epoch dpkg-deb --root-owner-group -Zxz --build "$work/pkg" \
  "updates/${name}_${version}_all.deb"
