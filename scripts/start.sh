#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
orvane_install_deps
build="$top/build"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target orvane
exec "$build/app/orvane" "$@"
