#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tickvale Pro in the current directory (its
# "database.db" lives there). Without a display it starts a virtual one and says so.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ -z "${DISPLAY:-}" ]; then
  number=${TICKVALE_DISPLAY:-77}
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  display=:$number
  echo "== no display: starting the program on the virtual display $display (Xvfb)"
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=$display
  sleep 1
fi
"$build_dir/tickvale"
