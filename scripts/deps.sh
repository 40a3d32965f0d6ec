#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root).
set -euo pipefail

packages=(
  build-essential cmake
  qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
  fonts-wqy-microhei     # Chinese glyphs: the interface starts in Chinese
  xvfb xauth             # a display for machines without one
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
