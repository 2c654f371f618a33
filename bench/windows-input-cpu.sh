#!/usr/bin/env bash
# CPU of the Windows program under Wine on a virtual display of its own, from /proc/PID/stat of
# the program's process and of the prefix's Wine server (which carries every input event to the
# low-level hooks):
#  1. tickvale.exe on the seed database, left alone for IDLE_SECONDS after a settling time;
#  2. bench_program.exe (the whole program in one process) with TASKS idle tasks armed through the
#     scheduler, as their switches would arm them, first left alone and then while xdotool moves
#     the mouse without pause for MOVE_SECONDS. Wine hears the X pointer only over its own
#     windows, so the moves happen over the empty part of the program's task list: on Windows the
#     hooks see the whole desktop, under Wine only what passes over Wine's windows.
# Usage: bench/windows-input-cpu.sh [IDLE_SECONDS] [MOVE_SECONDS] [TASKS]   (after scripts/windows.sh build)
#        TASKS (100) is the number of idle tasks armed in step 2; 0 shows what the window and the
#        hook cost without them.
set -euo pipefail
bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$bench_dir/../scripts/wine-session.sh"
idle_seconds=${1:-60}
move_seconds=${2:-30}
tasks=${3:-100}
build_dir=$(realpath "${WINDOWS_BUILD_DIR:-$bench_dir/../build-windows}")
qt_dir=${TICKVALE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tickvale}/qt5-mingw64
for program in "$build_dir/tickvale.exe" "$build_dir/bench/bench_program.exe"; do
  [ -f "$program" ] || { echo "build the Windows program first (scripts/windows.sh build): no $program"; exit 1; }
done
ticks=$(getconf CLK_TCK)
wine_scratch_start

# Qt's DLLs and the compiler's runtime, where Wine looks for a program's DLLs.
wine_path="Z:${qt_dir//\//\\}\\bin"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  directory=$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")
  wine_path+=";Z:${directory//\//\\}"
done
export WINEPATH=$wine_path

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
wait_for_window() {
  until xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do sleep 0.05; done
}
# The Wine server of this benchmark's prefix.
wineserver_pid() {
  local candidate
  for candidate in $(pidof wineserver64); do
    tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$candidate"; return; }
  done
}
# CPU seconds of the program and of the Wine server over the given number of seconds.
measure() {
  local seconds=$1 server program_before server_before
  server=$(wineserver_pid)
  program_before=$(cpu_ticks "$pid")
  server_before=$(cpu_ticks "$server")
  sleep "$seconds"
  awk -v p="$(( $(cpu_ticks "$pid") - program_before ))" -v s="$(( $(cpu_ticks "$server") - server_before ))" \
    -v ticks="$ticks" -v seconds="$seconds" 'BEGIN {
    printf "%.2f s of CPU in the program (%.2f %% of one core), %.2f s in the Wine server (%.2f %%)\n",
      p / ticks, 100 * p / ticks / seconds, s / ticks, 100 * s / ticks / seconds
  }'
}
stop_program() {
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
}

wine_display_start
wine_prefix_new "$work/prefix"
export WINEPREFIX=$work/prefix
wine_prefix_keep_running "$WINEPREFIX"
mkdir "$work/working" && cd "$work/working"
# The pointer away from the windows, where the moves below take place.
xdotool mousemove 1150 950

"$wine" "$build_dir/tickvale.exe" >/dev/null 2>&1 & pid=$!
wait_for_window '^TickvalePro$'
sleep 5
echo "tickvale.exe idle for $idle_seconds s: $(measure "$idle_seconds")"
stop_program

"$wine" "$build_dir/bench/bench_program.exe" --arm-and-wait "$tasks" >"$work/bench.out" 2>/dev/null & pid=$!
until grep -q 'idle tasks armed' "$work/bench.out"; do sleep 0.2; done
armed=$(grep -o '^[0-9]* idle tasks armed' "$work/bench.out")
sleep 5
echo "bench_program.exe, $armed, idle for 10 s: $(measure 10)"
eval "$(xdotool search --onlyvisible --name '^TickvalePro$' getwindowgeometry --shell)"
xdotool mousemove $((X + 450)) $((Y + 600))
# A person moving the mouse without pause: a relative move there and back, 2 ms apart, 250
# rounds to one xdotool (starting a program per move would be slower than the moves).
burst=()
for _ in $(seq 250); do burst+=(mousemove_relative -- 1 0 sleep 0.002 mousemove_relative -- -1 0 sleep 0.002); done
(end=$(( $(date +%s) + move_seconds + 1 )) bursts=0
 while [ "$(date +%s)" -lt $end ]; do
   xdotool "${burst[@]}"
   bursts=$((bursts + 1))
 done
 echo $((500 * bursts)) >"$work/moves") & mover=$!
sleep 0.5
result=$(measure "$move_seconds")
wait "$mover"
echo "bench_program.exe, $armed, continuous mouse movement for $move_seconds s ($(( $(cat "$work/moves") / (move_seconds + 1) )) moves/s): $result"
