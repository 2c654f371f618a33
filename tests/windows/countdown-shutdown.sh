#!/usr/bin/env bash
# The zip's program in a new prefix with a 3-second countdown to "关机": a click on its switch, and
# about 3 s later "shutdown -s -f" reaches the stand-in shutdown.exe (first on the path) exactly once.
# usage: tests/windows/countdown-shutdown.sh ZIP STAND_IN_FOLDER
set -euo pipefail
stand_ins=$(realpath "$2") script="countdown shutdown"
source "$(dirname "${BASH_SOURCE[0]}")/unpacked-zip.sh"
mkdir "$work/stand-ins"
cp "$stand_ins/shutdown.exe" "$stand_ins/rundll32.exe" "$work/stand-ins/"
# Wine puts WINEPATH before the system's folders on every program's path.
export WINEPATH="Z:${work//\//\\}\\stand-ins" TICKVALE_STAND_IN_LOG="Z:${work//\//\\}\\stand-in.log"

# The command interpreter, asked where it would find the tools, names the stand-ins.
found=$("$wine" cmd /c 'for %i in (shutdown.exe rundll32.exe) do @echo %~$PATH:i' </dev/null 2>/dev/null | tr -d '\r')
expected=$(printf '%s\\shutdown.exe\n%s\\rundll32.exe' "$WINEPATH" "$WINEPATH")
[ "${found,,}" = "${expected,,}" ] || fail "the interpreter would find: $found"

# A first start makes database.db; then the countdown is added to it.
cd "$work/working"
"$wine" "$program" >"$work/program.log" 2>&1 &
pid=$!
wine_wait_for_window '^TickvalePro$' 90 >/dev/null || fail "no window named TickvalePro appeared"
kill "$pid" && wait "$pid" 2>/dev/null || true
pid=
"$wineserver" --wait
python3 - "$work/working/database.db" <<'PY'
import sqlite3, sys
with sqlite3.connect(sys.argv[1]) as db:
    db.execute("insert into plan_t (name, eng_name, order_command, order_t, lease_second, timer_mode, repeat_mode, "
               "repeat_time_day_month_year_in_second, repeat_bigger_unit, repeat_except, repeat_detail_day, "
               "from_1970_seconds, condition_speed, app_position_t, enable_state) "
               "values ('从现在开始3秒后关机', '', '', 0, 3, 1, 0, -1, '0', 4, '', 0, -1, -1, 1)")
PY
[ ! -e "$work/stand-in.log" ] || fail "a stand-in ran before the task was switched on: $(cat "$work/stand-in.log")"

"$wine" "$program" >"$work/program.log" 2>&1 &
pid=$!
window=$(wine_wait_for_window '^TickvalePro$' 60) || fail "no window named TickvalePro appeared again"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# The second row's switch (the seed task is the first).
xdotool mousemove $((X + 800)) $((Y + 275)) click 1
switched_at=$(date +%s.%N)
for tick in $(seq 150); do [ -s "$work/stand-in.log" ] && break || sleep 0.1; done
[ -s "$work/stand-in.log" ] || fail "no stand-in ran within 15 seconds of the click on the switch"
ran_after=$(awk -v now="$(date +%s.%N)" -v then="$switched_at" 'BEGIN { printf "%.1f", now - then }')
echo "countdown shutdown: shutdown.exe ran ${ran_after}s after the click"
awk -v t="$ran_after" 'BEGIN { exit !(t >= 2.5 && t <= 4.5) }' || fail "it ran ${ran_after}s after the click, not about 3"
sleep 4
lines=$(cat "$work/stand-in.log")
[ "$lines" = "shutdown.exe|shutdown -s -f" ] || fail "the stand-ins were given: $lines"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "countdown shutdown: \"shutdown -s -f\" reached the stand-in exactly once"
