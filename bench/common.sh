# Shared by the benchmark scripts: a built program, a private display and a scratch folder.
set -euo pipefail
bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=${TICKVALE_PROGRAM:-$bench_dir/../build/tickvale}
[ -x "$program" ] || { echo "build the program first (./scripts/test.sh or cmake --build build)"; exit 1; }
work=$(mktemp -d)
display=:${BENCH_DISPLAY:-87}
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { pkill -P $$ tickvale 2>/dev/null || true; kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
export DISPLAY=$display
sleep 1
cd "$work"

# Milliseconds since the epoch.
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Waits until the main window is mapped on the display.
wait_for_window() {
  until xdotool search --onlyvisible --name '^TickvalePro$' >/dev/null 2>&1; do sleep 0.002; done
}
