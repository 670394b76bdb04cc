#!/usr/bin/env bash
# fuzz/run.sh SECONDS [BUILD_DIR]: runs every fuzz target for SECONDS, seeded with the
# test fixtures; new inputs go to fuzz/corpus/<target>/ and findings (crash-*, leak-*,
# timeout-*, oom-*) to fuzz/findings/<target>/ (neither is committed). FUZZ_JOBS targets
# run at once (default 1). Prints the executions per target and whether it found anything.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${1:?usage: fuzz/run.sh SECONDS [BUILD_DIR]}"
build="${2:-$here/../build-fuzz}"
export FUZZ_SEEDS="$here/../tests/fixtures/media" FUZZ_HERE="$here" FUZZ_SECONDS="$seconds"

if [[ ! -f "$build/build.ninja" ]]; then
  "$here/../scripts/deps.sh" build fuzz
  CC=clang CXX=clang++ cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVISTREL_FUZZ=ON -DVISTREL_TESTS=OFF >/dev/null
fi
cmake --build "$build" >/dev/null

run_target() {
  local target="$1" name corpus findings log runs result=ok
  name=$(basename "$target")
  corpus="$FUZZ_HERE/corpus/$name"
  findings="$FUZZ_HERE/findings/$name"
  mkdir -p "$corpus" "$findings"
  log="$findings/last-run.log"
  "$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" \
    "$corpus" "$FUZZ_SEEDS" >"$log" 2>&1 || result=FINDING
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' || echo "?")
  printf '%-24s %12s runs  %s\n' "$name" "$runs" "$result"
  [[ "$result" == ok ]]
}
export -f run_target

find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort |
  xargs -P "${FUZZ_JOBS:-1}" -I{} bash -c 'run_target "$1"' _ {}
