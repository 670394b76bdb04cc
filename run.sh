#!/usr/bin/env bash
# Sets up and starts Vistrel on Debian 12: installs the missing packages, builds, and
# opens the file or folder given (the bundled demo folder when none is given).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

"$here/scripts/deps.sh" build run
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_TESTS=OFF >/dev/null
cmake --build "$here/build"

[[ $# -gt 0 ]] || set -- "$here/demo"
exec "$here/build/vistrel" "$@"
