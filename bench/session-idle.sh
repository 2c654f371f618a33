#!/usr/bin/env bash
# CPU cost of reading a Wayland session's idle time, against the test suite's GNOME idle
# monitor on a private session bus. Usage: bench/session-idle.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../build}
seconds=${1:-60}
bus=$(mktemp)
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$bus"
address=$(sed -n 1p "$bus")
bus_pid=$(sed -n 2p "$bus")
DBUS_SESSION_BUS_ADDRESS=$address /usr/bin/python3 -m dbusmock --session \
  --template "$here/../tests/dbusmock/mutter_idle_monitor.py" >/dev/null 2>&1 &
mock_pid=$!
trap 'kill "$mock_pid" "$bus_pid" 2>/dev/null || true; rm -f "$bus"' EXIT
sleep 2
DBUS_SESSION_BUS_ADDRESS=$address "$build/bench/bench_session_idle" "$seconds" 2>/dev/null
