#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. A compiler warning in the build fails
# the run as a failing test would.
set -euo pipefail
cd "$(dirname "$0")"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
./setup.sh 2>&1 | tee "$log"
if grep -q "warning:" "$log"; then
  echo "The build printed compiler warnings:" >&2
  grep "warning:" "$log" >&2
  exit 1
fi
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
