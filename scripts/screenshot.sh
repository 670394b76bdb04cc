#!/usr/bin/env bash
# scripts/screenshot.sh [OUT.png]: builds Vistrel, starts it on the demo folder under
# Xvfb and grabs its window into OUT.png (default docs/screenshot.png) with ffmpeg.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

grab() {
  local program="$1" folder="$2" out="$3" pid window
  "$program" "$folder" >/dev/null 2>&1 &
  pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vistrel$' | head -n 1)
  sleep 1  # let the window paint its lists
  eval "$(xdotool getwindowgeometry --shell "$window")"
  ffmpeg -loglevel error -y -f x11grab -video_size "${WIDTH}x${HEIGHT}" -i "$DISPLAY+$X,$Y" -frames:v 1 "$out"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

# Second stage, inside Xvfb: this script runs itself again with --grab.
if [[ "${1:-}" == --grab ]]; then
  grab "$2" "$3" "$4"
  exit 0
fi

out="$(realpath -m -- "${1:-$here/docs/screenshot.png}")"
"$here/scripts/deps.sh" build run test
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_TESTS=OFF >/dev/null
cmake --build "$here/build" >/dev/null

xvfb-run -a -s '-screen 0 1280x800x24 -nolisten tcp' "$here/scripts/screenshot.sh" --grab "$here/build/vistrel" "$here/demo" "$out"
echo "screenshot: $out"
