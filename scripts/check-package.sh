#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh made: its control fields, its file list,
# and that the program unpacked with `dpkg -x` into a temporary root starts from its desktop
# entry's command on a virtual display. The package is never installed on this machine.
# usage: scripts/check-package.sh [PACKAGE.deb]     (default: build/tickvale_*_amd64.deb)
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
project_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deb=${1:-$(ls "$project_dir"/build/tickvale_*_amd64.deb | head -n1)}
version=$(sed -nE 's/^project\(Tickvale VERSION ([0-9.]+).*/\1/p' "$project_dir/CMakeLists.txt")
failures=0
fail() { echo "package check: $*" >&2; failures=$((failures + 1)); }

echo "== checking $deb"
[ "$(basename "$deb")" = "tickvale_${version}_amd64.deb" ] || fail "file name $(basename "$deb")"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tickvale ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
# The package names alone, alternatives included.
depended=$(tr ',|' '\n\n' <<<"$depends" | sed -E 's/^ *//; s/ .*//')
for needed in libqt5core5a libqt5gui5 libqt5widgets5 libqt5sql5 libqt5dbus5 libqt5network5 libx11-6 libxi6 \
  libxext6 libc6 libstdc++6 libqt5sql5-sqlite fonts-noto-cjk qttranslations5-l10n; do
  grep -qxF "$needed" <<<"$depended" || fail "Depends lacks $needed: $depends"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for path in /usr/bin/tickvale-pro /usr/lib/tickvale/tickvale /usr/lib/tickvale/help/help.html \
  /usr/share/applications/tickvale-pro.desktop /usr/share/doc/tickvale/LICENSE-OFL.txt; do
  grep -qx "$path" <<<"$files" || fail "missing $path"
done
for side in 16 24 32 48 64 128; do
  grep -qx "/usr/share/icons/hicolor/${side}x${side}/apps/tickvale-pro.png" <<<"$files" || fail "missing icon $side"
done
# Nothing outside /usr, and nothing of the build tree.
grep -vE '^/usr(/|$)|^/$' <<<"$files" && fail "files outside /usr"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/system"
entry="$root/system/usr/share/applications/tickvale-pro.desktop"
grep -qx 'Name=Tickvale Pro' "$entry" || fail "desktop entry Name"
grep -qx 'GenericName=定时任务' "$entry" || fail "desktop entry GenericName"
grep -qx 'Icon=tickvale-pro' "$entry" || fail "desktop entry Icon"
command -v desktop-file-validate >/dev/null && { desktop-file-validate "$entry" || fail "desktop entry not valid"; }
identify -format '%wx%h' "$root/system/usr/share/icons/hicolor/48x48/apps/tickvale-pro.png" | grep -qx 48x48 \
  || fail "48 px icon size"

# The entry's command, found in the unpacked root as the desktop finds it on the search path.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
read -r command arguments <<<"$exec_line"
launcher="$root/system/usr/bin/$command"
[ -x "$launcher" ] || fail "the entry's command $command is not in /usr/bin"
mkdir -p "$root/home"
(
  export HOME="$root/home" XDG_DATA_HOME= XDG_CONFIG_HOME="$root/home/.config"
  # Nothing here may reach a real power manager.
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/tickvale-package-check
  unset QT_QPA_PLATFORM
  xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
    "$0" $1 >"$2/program.log" 2>&1 &
    program=$!
    for _ in $(seq 1 100); do
      window=$(xdotool search --onlyvisible --name "^TickvalePro$" 2>/dev/null | head -n1) && [ -n "$window" ] && break
      sleep 0.2
    done
    [ -n "${window:-}" ] && xdotool getwindowgeometry "$window" >"$2/window.txt"
    kill "$program" 2>/dev/null; wait "$program" 2>/dev/null
    [ -n "${window:-}" ]' "$launcher" "${arguments:-}" "$root"
) || { fail "no window from $exec_line"; cat "$root/program.log" >&2 || true; }
grep -q 'Geometry: 900x780' "$root/window.txt" 2>/dev/null || fail "window size: $(cat "$root/window.txt" 2>/dev/null)"
[ -f "$root/home/.local/share/tickvale/database.db" ] || fail "database.db not kept in ~/.local/share/tickvale"

if [ "$failures" -gt 0 ]; then
  echo "== package check: $failures failure(s)" >&2
  exit 1
fi
echo "== package check: $(basename "$deb") is right and starts from its desktop entry"
