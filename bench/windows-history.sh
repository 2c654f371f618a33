#!/usr/bin/env bash
# The Windows power history at scale, under Wine: a first gathering of EVENTS events (20,000 by
# default) from the tests' stand-in wevtutil, and a second one that finds nothing new, in a
# prefix made beforehand (not measured), in the zone of Shanghai. Builds the benchmark first in
# the Windows build folder (scripts/windows.sh build makes it).
# Usage: bench/windows-history.sh [EVENTS]
set -euo pipefail
bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build_dir=${WINDOWS_BUILD_DIR:-$bench_dir/../build-windows}
source "$bench_dir/../scripts/wine-session.sh"
events=${1:-20000}
[ -f "$build_dir/CMakeCache.txt" ] || { echo "cross-build first (./scripts/windows.sh build)"; exit 1; }
cmake --build "$build_dir" -j2 --target bench_windows_history >/dev/null

# Qt's and the compiler's DLLs, found as the suites find them (cmake/WindowsRuntime.cmake).
qt_prefix=$(sed -n 's/^CMAKE_PREFIX_PATH:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
dll_dirs=("$qt_prefix/bin")
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  dll_dirs+=("$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")")
done
wine_path=$(printf 'Z:%s;' "${dll_dirs[@]}" | tr '/' '\\')

work=$(mktemp -d)
trap 'wine_session_end; rm -rf "$work"' EXIT
wine_display_start
wine_prefix_new "$work/prefix"
wine_prefix_keep_running "$work/prefix"
WINEPREFIX=$work/prefix WINEPATH=$wine_path TZ=Asia/Shanghai WINEQT_FORCE_STDERR_LOGGING=1 \
  "$wine" "$build_dir/tests/bench_windows_history.exe" "$events" 2>/dev/null
