#!/usr/bin/env bash
# scripts/screenshot.sh [OUT.png]: builds Vistrel, starts it on the demo folder's test card
# under Xvfb and grabs its window with the video beside it into OUT.png (default
# docs/screenshot.png) with ffmpeg.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

grab() {
  local program="$1" file="$2" out="$3" pid window video left top right bottom
  "$program" "$file" >/dev/null 2>&1 &
  pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name ' - Vistrel$' | head -n 1)
  video=$(timeout 30 xdotool search --sync --onlyvisible --name '^Video$' | head -n 1)
  sleep 2  # let the window paint its lists and the video move
  eval "$(xdotool getwindowgeometry --shell "$window")"
  left=$X top=$Y right=$((X + WIDTH)) bottom=$((Y + HEIGHT))
  eval "$(xdotool getwindowgeometry --shell "$video")"
  (( X + WIDTH > right )) && right=$((X + WIDTH))
  (( Y + HEIGHT > bottom )) && bottom=$((Y + HEIGHT))
  ffmpeg -loglevel error -y -f x11grab -video_size "$((right - left))x$((bottom - top))" -i "$DISPLAY+$left,$top" \
    -frames:v 1 "$out"
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

xvfb-run -a -s '-screen 0 1600x900x24 -nolisten tcp' "$here/scripts/screenshot.sh" --grab "$here/build/vistrel" \
  "$here/demo/vistrel_testcard.mp4" "$out"
echo "screenshot: $out"
