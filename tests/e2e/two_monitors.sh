#!/bin/sh
# two_monitors.sh TEST [ARGS...]: runs TEST on an X display of its own whose one wide screen
# is split into two RandR monitors side by side: LEFT 1280x1024 at 0,0 (the primary, on the
# output "screen", so that no third monitor spans both) and RIGHT 1920x1080 at 1280,0.
# -noreset keeps the monitors when xrandr, the server's only client so far, disconnects.
# The environment (PulseAudio, the session buses) passes through unchanged.
exec xvfb-run -a -s '-screen 0 3200x1080x24 -noreset -nolisten tcp' sh -c \
  'xrandr --setmonitor LEFT 1280/338x1024/270+0+0 screen >/dev/null &&
   xrandr --setmonitor RIGHT 1920/508x1080/286+1280+0 none >/dev/null &&
   exec "$@"' two_monitors "$@"
