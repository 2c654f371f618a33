#!/usr/bin/env bash
# Start-up time of the Windows program under Wine: from starting the process to its main
# window being shown, on the seed database, in a prefix made beforehand (not measured), with
# the program as the zip holds it. Usage: bench/windows-startup.sh [RUNS] [ZIP]
set -euo pipefail
bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$bench_dir/../scripts/wine-session.sh"
runs=${1:-5}
zip=$(realpath "${2:-$bench_dir/../build-windows/tickvale-windows-x64.zip}")
[ -f "$zip" ] || { echo "package the program first (./scripts/windows.sh package)"; exit 1; }
wine_scratch_start

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
wait_for_window() {
  until xdotool search --onlyvisible --name '^TickvalePro$' >/dev/null 2>&1; do sleep 0.005; done
}
stop_program() {
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
  # The next start finds no window of this one.
  while xdotool search --onlyvisible --name '^TickvalePro$' >/dev/null 2>&1; do sleep 0.05; done
}

unzip -q "$zip" -d "$work/unpacked"
program=$(find "$work/unpacked" -name tickvale.exe | head -n 1)
mkdir "$work/working" && cd "$work/working"
wine_display_start
wine_prefix_new "$work/prefix"
export WINEPREFIX=$work/prefix

# A first, unmeasured start makes the database and warms Wine up.
"$wine" "$program" >/dev/null 2>&1 & pid=$!
wait_for_window; stop_program

times=()
for _ in $(seq "$runs"); do
  start=$(now_ms)
  "$wine" "$program" >/dev/null 2>&1 & pid=$!
  wait_for_window
  times+=($(( $(now_ms) - start )))
  stop_program
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "Windows program under Wine, start-up to shown window over $runs runs: median ${sorted[$((runs / 2))]} ms (min ${sorted[0]}, max ${sorted[$((runs - 1))]}): ${times[*]}"
