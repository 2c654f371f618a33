#!/usr/bin/env bash
# CPU time and memory of the idle program: started on the seed database, left alone for
# SECONDS after a short settling time. Usage: bench/idle-cpu.sh [SECONDS]
source "$(dirname "$0")/common.sh"
seconds=${1:-60}
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

"$program" >/dev/null 2>&1 & pid=$!
wait_for_window
sleep 3
before=$(cpu_ticks "$pid")
sleep "$seconds"
after=$(cpu_ticks "$pid")
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
used=$(( after - before ))
awk -v used="$used" -v ticks="$ticks" -v seconds="$seconds" -v rss="$rss" 'BEGIN {
  cpu = used / ticks
  printf "idle for %d s: %.2f s of CPU (%.3f %% of one core), %.0f MB resident\n", seconds, cpu, 100 * cpu / seconds, rss / 1024
}'
