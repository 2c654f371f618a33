#!/usr/bin/env bash
# Every figure of the README's table, on this machine. Builds first; needs Xvfb and xdotool
# (./scripts/test.sh installs them). Usage: bench/figures.sh [IDLE_SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../build}
idle=${1:-60}
cmake --build "$build" -j2 >/dev/null
export QT_XCB_GL_INTEGRATION=none

history=$(mktemp -d)
trap 'rm -rf "$history"' EXIT
QT_QPA_PLATFORM=offscreen "$build/bench/bench_power_history" --prepare "$history" >/dev/null 2>&1

echo "## start-up, seed database";             BENCH_DISPLAY=81 "$here/startup.sh" 10
echo "## start-up, 20,000 stored events";      BENCH_DISPLAY=82 "$here/startup.sh" 10 "$history/database.db"
echo "## idle program, seed database";         BENCH_DISPLAY=83 "$here/idle-cpu.sh" "$idle"
echo "## idle program with 100 armed tasks, and continuous mouse movement"
Xvfb :84 -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 & xvfb=$!
sleep 1
DISPLAY=:84 "$build/bench/bench_program" "$idle" 2>/dev/null | grep -v 'armed$'
kill "$xvfb"
echo "## power history";                        QT_QPA_PLATFORM=offscreen "$build/bench/bench_power_history" 2>/dev/null
echo "## task tab";                             QT_QPA_PLATFORM=offscreen "$build/bench/bench_task_tab" 5 2>/dev/null | grep median
echo "## scheduler";                            "$build/bench/bench_scheduler" "$idle" | tail -2
echo "## Wayland idle time, read once a second";  BUILD_DIR=$build "$here/session-idle.sh" "$idle"
