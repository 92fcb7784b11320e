#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in build-fuzz, writes
# their seed corpora and runs every target for the given seconds (600 by
# default), one after the other. Each target keeps what it finds in
# build-fuzz/corpus/NAME; an input that crashes it is saved as
# build-fuzz/artifacts/NAME/ (crash-*, leak-*, timeout-*), with the run's
# log beside it. Exits non-zero when a target reports a failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-600}"
case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [seconds per target]" >&2; exit 2 ;;
esac

source "$top/scripts/deps.sh"
orvane_install_missing cmake ninja-build clang
# libFuzzer's runtime comes with the runtime package of that clang version.
clang_major=$(clang -dumpversion | cut -d. -f1)
orvane_install_missing "libclang-rt-${clang_major}-dev"

build="$top/build-fuzz"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DORVANE_FUZZ=ON \
  -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"

# Every fuzz target is an executable NAME ending in _fuzz; NAME_seeds,
# when built, writes its seeds.
targets=()
for exe in "$build"/fuzz/*_fuzz; do
  [ -x "$exe" ] && targets+=("$(basename "$exe")")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build/fuzz" >&2
  exit 1
fi

failed=()
for name in "${targets[@]}"; do
  corpus="$build/corpus/$name"
  seeds="$build/seeds/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  rm -rf "$seeds"
  mkdir -p "$seeds"
  if [ -x "$build/fuzz/${name}_seeds" ]; then
    "$build/fuzz/${name}_seeds" "$seeds"
  fi
  echo "== $name: ${seconds} s"
  log="$build/artifacts/$name.log"
  stamp="$build/artifacts/$name.started"
  touch "$stamp"
  status=0
  nice -n 10 "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  # What libFuzzer found: its coverage lines, the report of a failure and
  # the final statistics.
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::|ERROR|FUZZ_CHECK|SUMMARY|^Test unit|artifact_prefix|^  ' "$log" || true
  if [ "$status" -ne 0 ]; then
    echo "== $name FAILED (exit $status; log $log). Inputs it saved:"
    find "$artifacts" -maxdepth 1 -type f -newer "$stamp" || true
    failed+=("$name")
  else
    echo "== $name: nothing found (log $log)"
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "every fuzz target ran ${seconds} s without a finding"
