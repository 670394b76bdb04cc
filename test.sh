#!/usr/bin/env bash
# Sets up and runs every Vistrel test on Debian 12: installs the missing packages,
# builds with AddressSanitizer and UBSan, starts PulseAudio, D-Bus and Xvfb, runs ctest
# (labels unit, gui, e2e), stops the services, then builds the fuzz targets with clang
# and runs each briefly (label fuzz). Arguments go to the first ctest (e.g. -L unit,
# -R media_type); VISTREL_SKIP_FUZZ=1 skips the fuzz run.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh build run test fuzz
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVISTREL_ASAN=ON >/dev/null
cmake --build build-test

source scripts/services.sh
start_test_services
trap stop_test_services EXIT

# Full stacks on malloc so that the suppressions can name load-time allocations.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:fast_unwind_on_malloc=0}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
status=0
xvfb-run -a -s '-screen 0 1280x800x24 -nolisten tcp' \
  ctest --test-dir build-test --output-on-failure -j"$(nproc)" "$@" || status=$?

if [[ "${VISTREL_SKIP_FUZZ:-0}" != 1 ]]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVISTREL_FUZZ=ON -DVISTREL_TESTS=OFF >/dev/null
  cmake --build build-fuzz
  ctest --test-dir build-fuzz -L fuzz --output-on-failure -j"$(nproc)" || status=$?
fi
exit $status
