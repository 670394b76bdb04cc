#!/usr/bin/env bash
# Sets up and runs every Vistrel test on Debian 12: installs the missing packages,
# builds with AddressSanitizer and UBSan, starts PulseAudio, D-Bus and Xvfb, runs
# ctest and stops the services again. Arguments go to ctest (e.g. -L unit, -R part_2_1).
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh build run test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVISTREL_ASAN=ON >/dev/null
cmake --build build-test

source scripts/services.sh
start_test_services
trap stop_test_services EXIT

# Full stacks on malloc so that the suppressions can name load-time allocations.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:fast_unwind_on_malloc=0}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
xvfb-run -a -s '-screen 0 1280x800x24 -nolisten tcp' \
  ctest --test-dir build-test --output-on-failure -j"$(nproc)" "$@"
