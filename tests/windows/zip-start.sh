#!/usr/bin/env bash
# The zip's program started from an empty folder in a new prefix: every DLL imported is beside it or
# Windows', a 900 x 780 "TickvalePro" appears, database.db holds exactly seed-rows.txt, "确定" exits 0.
# usage: tests/windows/zip-start.sh ZIP [SCREENSHOT.png]
set -euo pipefail
screenshot=${2:-} script="zip start"
source "$(dirname "${BASH_SOURCE[0]}")/unpacked-zip.sh"

beside=$(find "$(dirname "$program")" -maxdepth 1 -type f -printf '%f\n' | tr 'A-Z' 'a-z')
missing=()
while IFS= read -r binary; do
  for dll in $(windows_imports "$binary"); do
    grep -qxF "$dll" <<<"$beside" || [ -e "$WINEPREFIX/drive_c/windows/system32/$dll" ] \
      || missing+=("${binary#"$work/unpacked/"} needs $dll")
  done
done < <(find "$work/unpacked" -type f \( -iname '*.exe' -o -iname '*.dll' \))
[ ${#missing[@]} -eq 0 ] || fail "missing DLLs: ${missing[*]}"

# As a user starts it: nothing of the build on the path (the first start in a new prefix is slow).
cd "$work/working"
env -u WINEPATH "$wine" "$program" >"$work/program.log" 2>&1 &
pid=$!
window=$(wine_wait_for_window '^TickvalePro$' 90) || fail "no window named TickvalePro appeared"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 900 ] && [ "$HEIGHT" = 780 ] || fail "the window is $WIDTH x $HEIGHT"
[ -z "$screenshot" ] || { sleep 2; import -window root "$screenshot"; }

rows=$(python3 - "$work/working/database.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True)
tables = db.execute("select name from sqlite_master where type = 'table' and name <> 'sqlite_sequence' order by name")
for (table,) in tables.fetchall():
    for row in db.execute('select * from "%s" order by id' % table):
        print("|".join([table] + ["" if value is None else str(value) for value in row]))
PY
) || fail "database.db cannot be read"
diff <(echo "$rows") "$here/seed-rows.txt" >&2 || fail "database.db does not hold exactly the seed rows"

# The title bar's close button, then "确定" in the confirmation (both where a person clicks).
xdotool mousemove $((X + 878)) $((Y + 25)) click 1
box=$(wine_wait_for_window '^Tickvale Pro$' 20) || fail "no exit confirmation appeared"
eval "$(xdotool getwindowgeometry --shell "$box")"
sleep 0.5
xdotool mousemove $((X + 170)) $((Y + 213)) click 1
for tick in $(seq 200); do kill -0 "$pid" 2>/dev/null && sleep 0.1 || break; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after 确定"
wait "$pid" || fail "the program ended with code $?"
pid=
echo "zip start: 确定 ended the program with code 0"
