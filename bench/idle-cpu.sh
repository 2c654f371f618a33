#!/usr/bin/env bash
# CPU time and memory of the idle program: started on the seed database, left alone for
# SECONDS after a short settling time. Usage: bench/idle-cpu.sh [SECONDS]
source "$(dirname "$0")/common.sh"
seconds=${1:-60}
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
status_kb() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/status"; }

"$program" >/dev/null 2>&1 & pid=$!
wait_for_window
sleep 3
before=$(cpu_ticks "$pid")
sleep "$seconds"
after=$(cpu_ticks "$pid")
steady=$(status_kb "$pid" VmRSS)
peak=$(status_kb "$pid" VmHWM)
used=$(( after - before ))
awk -v used="$used" -v ticks="$ticks" -v seconds="$seconds" -v steady="$steady" -v peak="$peak" 'BEGIN {
  cpu = used / ticks
  printf "idle for %d s: %.2f s of CPU (%.3f %% of one core); memory %.0f MB steady, %.0f MB at peak\n", seconds, cpu, 100 * cpu / seconds, steady / 1024, peak / 1024
}'
