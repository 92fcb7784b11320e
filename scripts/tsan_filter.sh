#!/usr/bin/env bash
# Reads ThreadSanitizer report files (written with log_path) and fails when
# any report is not one of those it may leave out: a data race whose every
# access starts inside Qt's own libraries, which are not built for the
# sanitizer and whose internal thread pools it cannot follow. An access
# "starts" in the first frame of its stack that is not the sanitizer's own
# interceptor; any frame of ours on top of Qt, in any access, keeps the
# report. Every other kind of report is kept too.
#
#   scripts/tsan_filter.sh FILE...    exit 0 when nothing was kept
set -euo pipefail

kept=0
left=0
for file in "$@"; do
  [ -s "$file" ] || continue
  result=$(awk '
    function module(line,   m) {
      # "... (libQt6Core.so.6+0x1234)" or "... (form_main_test+0x99)"
      if (match(line, /\([^()]*\+0x[0-9a-f]+\)$/)) {
        m = substr(line, RSTART + 1, RLENGTH - 2)
        sub(/\+0x[0-9a-f]+$/, "", m)
        return m
      }
      return ""
    }
    function finish() {
      if (!inreport) return
      if (kind == "data race" && accesses > 0 && accesses == qtaccesses) left++
      else { kept++; print text > "/dev/stderr" }
      inreport = 0
    }
    /^WARNING: ThreadSanitizer: / {
      finish()
      inreport = 1; text = ""; accesses = 0; qtaccesses = 0; inaccess = 0; decided = 0
      kind = $0; sub(/^WARNING: ThreadSanitizer: /, "", kind); sub(/ \(pid=.*$/, "", kind)
    }
    inreport { text = text $0 "\n" }
    inreport && /^  (Previous )?(atomic )?([Ww]rite|[Rr]ead) of size/ {
      accesses++; inaccess = 1; decided = 0; next
    }
    inreport && inaccess && /^    #[0-9]+ / {
      if (decided) next
      m = module($0)
      if (m ~ /^libtsan/) next
      decided = 1
      if (m ~ /^libQt6/) qtaccesses++
      next
    }
    inreport && /^$/ { inaccess = 0 }
    /^SUMMARY: ThreadSanitizer/ { finish() }
    END { finish(); printf "%d %d\n", kept, left }
  ' "$file")
  kept=$((kept + ${result%% *}))
  left=$((left + ${result##* }))
done
echo "ThreadSanitizer: $kept report(s) kept, $left inside Qt's own libraries left out"
[ "$kept" -eq 0 ]
