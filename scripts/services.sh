# Sourced by test.sh: starts and stops what the tests need:
# a private XDG_RUNTIME_DIR, PulseAudio with a null sink, a D-Bus session bus and a second
# bus standing in for the system bus (the tests serve a fake logind on it).
# Xvfb comes from xvfb-run around ctest.

start_test_services() {
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/vistrel-runtime.XXXXXX)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR

  # The null sink mixes ahead by as much latency as its streams allow: 2 s while none asks for
  # less. A stream that starts or restarts (after a seek or a speed change) is heard only once
  # that lead has played out, since the sink takes back no more than its current latency; so
  # a new title's position would stand still for up to 2 s. A silent loopback that asks for
  # 200 ms holds the lead short, as a sound card's sink would be.
  pulseaudio --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 --disallow-exit -n \
    --load="module-null-sink sink_name=nullsink" \
    --load="module-null-source source_name=silence" \
    --load="module-loopback source=silence sink=nullsink latency_msec=200 source_dont_move=true sink_dont_move=true" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse-native" \
    >"$XDG_RUNTIME_DIR/pulseaudio.log" 2>&1 || echo "warning: PulseAudio did not start" >&2
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse-native"
  local tries=0
  until pactl info >/dev/null 2>&1 || (( ++tries > 50 )); do sleep 0.1; done

  local bus
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
  VISTREL_DBUS_PID=$(sed -n 2p <<<"$bus")
  export DBUS_SESSION_BUS_ADDRESS
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  DBUS_SYSTEM_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
  VISTREL_SYSTEM_DBUS_PID=$(sed -n 2p <<<"$bus")
  export DBUS_SYSTEM_BUS_ADDRESS
}

stop_test_services() {
  [[ -n "${VISTREL_DBUS_PID:-}" ]] && kill "$VISTREL_DBUS_PID" 2>/dev/null
  [[ -n "${VISTREL_SYSTEM_DBUS_PID:-}" ]] && kill "$VISTREL_SYSTEM_DBUS_PID" 2>/dev/null
  pulseaudio --kill >/dev/null 2>&1 || true
  local pidfile="$XDG_RUNTIME_DIR/pulse/pid" tries=0
  while [[ -f "$pidfile" ]] && kill -0 "$(cat "$pidfile" 2>/dev/null)" 2>/dev/null && (( ++tries <= 50 )); do sleep 0.1; done
  [[ -n "${XDG_RUNTIME_DIR:-}" && "$XDG_RUNTIME_DIR" == /tmp/vistrel-runtime.* ]] && rm -rf "$XDG_RUNTIME_DIR"
  return 0
}
