#!/usr/bin/env bash
# Builds everything and runs every test. ORVANE_SANITIZER=address (with
# UndefinedBehaviorSanitizer) or thread builds a separate tree with that
# sanitizer and runs the same tests there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
orvane_install_deps
san="${ORVANE_SANITIZER:-}"
build="$top/build-test${san:+-$san}"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZER="$san")
# Benchmarks measure speed, which a sanitizer build does not show.
[ -n "$san" ] && options+=(-DORVANE_BUILD_BENCH=OFF)
if command -v ccache >/dev/null 2>&1; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
cd "$build"
case "$san" in
address)
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:${ASAN_OPTIONS:-}"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
  ;;
thread)
  # Every report is written down instead of failing its test at once; the
  # filter then fails the run on any report but those whose accesses all
  # start inside Qt's own libraries, which are not built for the sanitizer.
  logs="$build/tsan-reports"
  rm -rf "$logs" && mkdir -p "$logs"
  # The longest history, so that the earlier access of a race is always
  # shown: a report with a stack that could not be restored is kept.
  export TSAN_OPTIONS="log_path=$logs/report:exitcode=0:second_deadlock_stack=1:history_size=7:${TSAN_OPTIONS:-}"
  ;;
esac
status=0
ctest --output-on-failure --timeout 300 -j2 || status=$?
if [ "$san" = "thread" ]; then
  shopt -s nullglob
  bash "$top/scripts/tsan_filter.sh" "$logs"/report.* || status=1
fi
exit "$status"
