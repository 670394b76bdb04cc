#!/usr/bin/env bash
# fuzz/run.sh SECONDS [BUILD_DIR]: runs every fuzz target for SECONDS, seeded with the
# test fixtures; new inputs go to fuzz/corpus/<target>/ (not committed). Prints the
# executions per target and the findings (crash-*, leak-*, timeout-* files).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${1:?usage: fuzz/run.sh SECONDS [BUILD_DIR]}"
build="${2:-$here/../build-fuzz}"
seeds="$here/../tests/fixtures/media"

if [[ ! -d "$build/fuzz" ]]; then
  "$here/../scripts/deps.sh" build fuzz
  CC=clang CXX=clang++ cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVISTREL_FUZZ=ON -DVISTREL_TESTS=OFF >/dev/null
fi
cmake --build "$build" >/dev/null

status=0
for target in "$build"/fuzz/fuzz_*; do
  [[ -x "$target" ]] || continue
  name=$(basename "$target")
  corpus="$here/corpus/$name"
  findings="$here/findings/$name"
  mkdir -p "$corpus" "$findings"
  log="$findings/last-run.log"
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" \
       "$corpus" "$seeds" >"$log" 2>&1; then
    result=ok
  else
    result=FINDING; status=1
  fi
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' || echo "?")
  printf '%-28s %12s runs  %s\n' "$name" "$runs" "$result"
done
exit $status
