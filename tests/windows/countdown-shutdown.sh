#!/usr/bin/env bash
# The packaged program runs a task as a user on Windows would see it: the zip unpacked and started
# under Wine in a brand-new prefix, on a virtual display, with a database.db that holds a
# countdown of 3 seconds to "关机". A click on the task's switch turns it on; about 3 seconds
# later the hidden interpreter hands "shutdown -s -f" to the shutdown.exe it finds, exactly once.
# The shutdown.exe and rundll32.exe it finds are the tests' stand-ins (tests/helpers/
# stand_in_tool.cpp), which only write down their command line: they come first on the path, and
# that is checked before the program starts. Wine's own shutdown.exe is never reached.
# usage: tests/windows/countdown-shutdown.sh ZIP STAND_IN_FOLDER
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-session.sh"
zip=$(realpath "$1")
stand_ins=$(realpath "$2")
wine_scratch_start

fail() {
  echo "countdown shutdown: FAIL: $*" >&2
  # The screen as it was when the switch was looked at, for whoever reads the failure.
  [ -n "${COUNTDOWN_FAILURE_SCREENSHOT:-}" ] && [ -f "$work/screen.png" ] && cp "$work/screen.png" "$COUNTDOWN_FAILURE_SCREENSHOT"
  if [ -s "$work/program.log" ]; then
    echo "-- the program's output:" >&2
    tail -n 20 "$work/program.log" >&2
  fi
  exit 1
}

windows_path() {
  echo "Z:${1//\//\\}"
}

# How many points of a box of the screen (LEFT TOP WIDTH HEIGHT) have the switch's "on" blue.
blue_points_in() {
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "$3x$4+$1+$2" +repage txt:- | grep -ci '#5D91EE' || true
}

mkdir "$work/unpacked" "$work/working" "$work/stand-ins"
unzip -q "$zip" -d "$work/unpacked"
program=$(find "$work/unpacked" -name tickvale.exe | head -n 1)
[ -n "$program" ] || fail "no tickvale.exe in $zip"
cp "$stand_ins/shutdown.exe" "$stand_ins/rundll32.exe" "$work/stand-ins/"

wine_display_start
wine_prefix_new "$work/prefix"
export WINEPREFIX=$work/prefix
# Wine puts WINEPATH before the system's folders on every program's path.
export WINEPATH
WINEPATH=$(windows_path "$work/stand-ins")
export TICKVALE_STAND_IN_LOG
TICKVALE_STAND_IN_LOG=$(windows_path "$work/stand-in.log")

# The command interpreter, asked where it would find the tools, names the stand-ins.
found=$("$wine" cmd /c 'for %i in (shutdown.exe rundll32.exe) do @echo %~$PATH:i' </dev/null 2>/dev/null | tr -d '\r')
expected=$(printf '%s\\shutdown.exe\n%s\\rundll32.exe' "$WINEPATH" "$WINEPATH")
[ "${found,,}" = "${expected,,}" ] || fail "the interpreter would find: $found"
echo "countdown shutdown: the interpreter finds the stand-ins first"

# A first start makes database.db with its seed rows; then the countdown is added to it.
cd "$work/working"
"$wine" "$program" >"$work/program.log" 2>&1 &
pid=$!
wine_wait_for_window '^TickvalePro$' 90 >/dev/null || fail "no window named TickvalePro appeared"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
"$wineserver" --wait
python3 - "$work/working/database.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("insert into plan_t (name, eng_name, order_command, order_t, lease_second, timer_mode, repeat_mode, "
           "repeat_time_day_month_year_in_second, repeat_bigger_unit, repeat_except, repeat_detail_day, "
           "from_1970_seconds, condition_speed, app_position_t, enable_state) "
           "values ('从现在开始3秒后关机', '', '', 0, 3, 1, 0, -1, '0', 4, '', 0, -1, -1, 1)")
db.commit()
PY
[ ! -e "$work/stand-in.log" ] || fail "a stand-in ran before the task was switched on: $(cat "$work/stand-in.log")"

"$wine" "$program" >"$work/program.log" 2>&1 &
pid=$!
window=$(wine_wait_for_window '^TickvalePro$' 60) || fail "no window named TickvalePro appeared again"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# The second row's switch (the seed task is the first); switched on, its blue knob fills the
# right half (the left half when off).
switch_x=$((X + 800)) switch_y=$((Y + 215 + 60))
xdotool mousemove "$switch_x" "$switch_y" click 1
switched_at=$(date +%s.%N)
sleep 0.7
knob=$(blue_points_in $((switch_x + 10)) $((switch_y - 6)) 24 12)
[ "$knob" -ge 150 ] || fail "the switch did not turn on (only $knob of 288 points of its right half are blue)"
echo "countdown shutdown: the task's switch is on ($knob of 288 points of its right half are blue)"

for tick in $(seq 150); do
  [ -s "$work/stand-in.log" ] && break
  sleep 0.1
done
[ -s "$work/stand-in.log" ] || fail "no stand-in ran within 15 seconds"
ran_after=$(awk -v now="$(date +%s.%N)" -v then="$switched_at" 'BEGIN { printf "%.1f", now - then }')
echo "countdown shutdown: shutdown.exe ran ${ran_after}s after the click"
awk -v t="$ran_after" 'BEGIN { exit !(t >= 2.5 && t <= 4.5) }' || fail "it ran ${ran_after}s after the click, not about 3"
# Once: nothing more comes.
sleep 4
lines=$(cat "$work/stand-in.log")
[ "$lines" = "shutdown.exe|shutdown -s -f" ] || fail "the stand-ins were given: $lines"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "countdown shutdown: \"shutdown -s -f\" reached the stand-in exactly once"
