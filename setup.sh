#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by run.sh and test.sh: installs what is missing, then configures and builds into build/.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake ninja-build pkg-config libsqlite3-dev qt6-base-dev qt6-multimedia-dev
          libgl-dev libgtest-dev libbenchmark-dev libical-dev python3-icalendar
          fonts-liberation fonts-noto-color-emoji
          xvfb xauth xdotool trayer openbox imagemagick
          cups libcups2-dev printer-driver-cups-pdf poppler-utils
          python3 dpkg-dev file desktop-file-utils appstream lintian librsvg2-bin
          qtkeychain-qt6-dev qt6-wayland radicale xandikos python3-caldav vdirsyncer
          dbus dbus-x11 dunst at-spi2-core python3-pyatspi weston
          scdoc groff-base man-db bash-completion zsh fish ccache clang-format openssl)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run this once, then start again:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

# A second build of the same sources (another checkout, the sanitized build) reuses the objects.
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON "${launcher[@]}" \
  >/dev/null
cmake --build build -j "$(nproc)"
