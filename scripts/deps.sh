#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root).
set -euo pipefail

packages=(
  build-essential cmake
  qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
  fonts-wqy-microhei     # Chinese glyphs: the interface starts in Chinese
  xvfb xauth             # a display for machines without one
  librsvg2-bin           # rsvg-convert draws the raster icons from the SVG
  desktop-file-utils appstream  # validators of the desktop entry and the metainfo
  dpkg-dev               # dpkg-shlibdeps: the Debian package's dependencies
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
