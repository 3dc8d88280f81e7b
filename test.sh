#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test; then builds the store and its tests
# again with the address and undefined behaviour sanitizers and runs those. A compiler warning
# in the build, or a C++ file that clang-format would lay out otherwise, fails the run as a
# failing test would.
#
#   ./test.sh              the suite, and the store's tests under the sanitizers
#   ./test.sh --sanitize   the whole suite under the sanitizers as well
set -euo pipefail
cd "$(dirname "$0")"
whole_sanitized=false
for arg in "$@"; do
  case "$arg" in
    --sanitize) whole_sanitized=true ;;
    *) echo "usage: ./test.sh [--sanitize]" >&2; exit 2 ;;
  esac
done

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
check_warnings() {
  if grep -q "warning:" "$log"; then
    echo "The build printed compiler warnings:" >&2
    grep "warning:" "$log" >&2
    exit 1
  fi
}

./setup.sh 2>&1 | tee "$log"
check_warnings

echo "== Formatting =="
# Every C++ file of the checkout as the root .clang-format lays it out.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "every C++ file is formatted"
# Every source file says its licence.
unlicensed="$(git ls-files -z '*.cpp' '*.h' '*.py' '*.sh' '*.cmake' 'CMakeLists.txt' '*/CMakeLists.txt' \
  .ci/run | xargs -0 grep -L 'SPDX-License-Identifier: GPL-3.0-or-later' || true)"
if [ -n "$unlicensed" ]; then
  echo "Source files without the SPDX line:" >&2
  echo "$unlicensed" >&2
  exit 1
fi

(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")

echo "== Sanitized build =="
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEK_SANITIZE=ON \
  -DBUILD_TESTING=ON \
  $(command -v ccache > /dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache) \
  >/dev/null
if $whole_sanitized; then
  cmake --build build-sanitize -j "$(nproc)" 2>&1 | tee "$log"
  check_warnings
  (cd build-sanitize && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
else
  cmake --build build-sanitize -j "$(nproc)" --target store_tests crash_tests crash_writer 2>&1 \
    | tee "$log"
  check_warnings
  (cd build-sanitize && ctest --output-on-failure -j "$(nproc)" -L store)
fi
