#!/usr/bin/env bash
# Start-up time: from starting the process to its main window being shown. Without a
# database argument the program starts on the seed database (made by a first, unmeasured
# start); with one, on a copy of it. Usage: bench/startup.sh [RUNS] [DATABASE]
source "$(dirname "$0")/common.sh"
runs=${1:-10}
[ -n "${2:-}" ] && cp "$2" database.db

"$program" >/dev/null 2>&1 & pid=$!
wait_for_window; kill "$pid"; wait "$pid" 2>/dev/null || true

times=()
for _ in $(seq "$runs"); do
  start=$(now_ms)
  "$program" >/dev/null 2>&1 & pid=$!
  wait_for_window
  times+=($(( $(now_ms) - start )))
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up to shown window over $runs runs: median ${sorted[$((runs / 2))]} ms (min ${sorted[0]}, max ${sorted[$((runs - 1))]})"
