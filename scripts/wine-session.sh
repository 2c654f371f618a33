# Running Windows programs under Wine on a virtual display of their own: sourced by
# windows.sh, tests/windows/zip-start.sh and bench/windows-startup.sh.
# wine_display_start starts Xvfb; wine_prefix_new DIR makes a brand-new Wine prefix there;
# wine_session_end (run on exit) ends the Wine servers of those prefixes and the display.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
# Quiet, and no offer to download Wine's .NET and HTML engines while a prefix is made.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_prefixes=()
wine_xvfb_pid=

wine_display_start() {
  local number=${TICKVALE_WINE_DISPLAY:-120} attempt
  for attempt in 1 2 3 4 5; do
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    wine_xvfb_pid=$!
    local waited=0
    while [ ! -e "/tmp/.X11-unix/X$number" ] && kill -0 "$wine_xvfb_pid" 2>/dev/null && [ $waited -lt 100 ]; do
      sleep 0.1; waited=$((waited + 1))
    done
    if kill -0 "$wine_xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$number" ]; then
      export DISPLAY=:$number
      return 0
    fi
    # Another program took the number at the same moment: try the next one.
    number=$((number + 1))
  done
  echo "could not start a virtual display" >&2
  return 1
}

# Makes a brand-new prefix in DIR (about 10 seconds) and waits until Wine has settled in it.
wine_prefix_new() {
  local prefix=$1
  mkdir -p "$(dirname "$prefix")"
  wine_prefixes+=("$prefix")
  WINEPREFIX=$prefix "$wine" wineboot --init >/dev/null 2>&1
  WINEPREFIX=$prefix "$wineserver" --wait
}

# Keeps the prefix's Wine server and system services running until the session ends. Wine
# starts its services from the first program that needs them, and they hold on to that
# program's output: a program that starts them first makes the ones after it finish on time.
wine_prefix_keep_running() {
  local prefix=$1
  WINEPREFIX=$prefix "$wineserver" --persistent
  WINEPREFIX=$prefix "$wine" cmd /c exit </dev/null >/dev/null 2>&1
}

wine_session_end() {
  local prefix
  for prefix in "${wine_prefixes[@]}"; do
    WINEPREFIX=$prefix "$wineserver" --kill 2>/dev/null || true
  done
  [ -n "$wine_xvfb_pid" ] && kill "$wine_xvfb_pid" 2>/dev/null || true
  wine_prefixes=()
  wine_xvfb_pid=
}

# A scratch folder in $work and a program's process id in $pid, both ended with the Wine session
# when the script exits, however it exits.
wine_scratch_start() {
  work=$(mktemp -d)
  pid=
  trap wine_scratch_end EXIT
}

wine_scratch_end() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  wine_session_end
  rm -rf "$work"
}

# Waits up to SECONDS for a shown window whose name matches NAME while the program $pid runs;
# prints the window's id.
wine_wait_for_window() {
  local name=$1 seconds=$2 id tick
  for tick in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The DLLs a Windows program or DLL imports, lower case, one a line.
windows_imports() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'
}
