# Sourced by the zip's scripts (naming themselves in $script): the zip $1 unpacked, $program, a new
# $WINEPREFIX on a display of its own, and fail(), which shows the program's output.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-session.sh"
wine_scratch_start

fail() {
  echo "$script: FAIL: $*" >&2
  [ -s "$work/program.log" ] && { echo "-- the program's output:"; tail -n 20 "$work/program.log"; } >&2
  exit 1
}

mkdir "$work/unpacked" "$work/working"
unzip -q "$1" -d "$work/unpacked"
program=$(find "$work/unpacked" -name tickvale.exe | head -n 1)
[ -n "$program" ] || fail "no tickvale.exe in $1"
wine_display_start
wine_prefix_new "$work/prefix"
export WINEPREFIX=$work/prefix
