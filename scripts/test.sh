#!/usr/bin/env bash
# Builds everything and runs every test. ORVANE_SANITIZER=address or thread
# builds a separate tree with that sanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
orvane_install_deps
san="${ORVANE_SANITIZER:-}"
build="$top/build-test${san:+-$san}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_SANITIZER="$san" >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
# Qt's own libraries are not built for ThreadSanitizer; their internal
# thread pools are left out of its reports.
if [ "$san" = "thread" ]; then
  export TSAN_OPTIONS="suppressions=$top/tests/tsan.supp ${TSAN_OPTIONS:-}"
fi
cd "$build"
ctest --output-on-failure --timeout 300 -j2
