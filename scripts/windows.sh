#!/usr/bin/env bash
# The Windows program: cross-builds Tickvale Pro for 64-bit Windows with Debian's mingw-w64 and
# Qt for Windows, runs its suites under Wine on a virtual display, packages
# tickvale-windows-x64.zip and starts the packaged program under Wine in a brand-new prefix.
# Installs what is missing first. Exits non-zero on any failure.
# usage: scripts/windows.sh [build | test | package | all]   (all is the default; test.sh runs it)
#   build    Qt for Windows into the cache folder (once), then the cross-build in build-windows
#   test     build, then the suites under Wine
#   package  build, then the zip, its start in a brand-new prefix and a countdown task run in it
set -euo pipefail

export LC_ALL=C.UTF-8 LANG=C.UTF-8
project_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${WINDOWS_BUILD_DIR:-$project_dir/build-windows}
cache_dir=${TICKVALE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tickvale}
qt_dir=$cache_dir/qt5-mingw64
qt_archive=${TICKVALE_QT_WINDOWS_ARCHIVE:-$project_dir/../shared/toolchains/qt5.15.8-mingw64.tar.xz}
qt_archive_sha256=ce5a8389d21b5b41f34042cddb836aed9b89cbda6297f0f36c7f154bed35a5b0
zip_name=tickvale-windows-x64.zip
step=${1:-all}

packages=(
  # cross-building: the compiler, CMake, the icon maker, unpacking Qt
  cmake make g++-mingw-w64-x86-64-posix imagemagick xz-utils
  # Qt's Chinese texts, which the Windows program carries in itself
  qttranslations5-l10n
  # running under Wine on a virtual display, driving and checking the program, packaging
  wine64 xvfb xauth xdotool python3 zip unzip
)
source "$project_dir/scripts/install-packages.sh"
source "$project_dir/scripts/wine-session.sh"

# Qt for Windows in the cache folder: unpacked from the project's archive when it is there (and
# its checksum is right), otherwise built once from Debian's source packages.
prepare_qt() {
  local stamp=$qt_dir/.tickvale-qt-source
  if [ -f "$qt_archive" ]; then
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$qt_archive_sha256" ] && return 0
    echo "== checking $qt_archive"
    echo "$qt_archive_sha256  $qt_archive" | sha256sum --check --quiet \
      || { echo "$qt_archive is not the expected archive (sha256 differs)" >&2; exit 1; }
    echo "== unpacking Qt for Windows into $qt_dir"
    rm -rf "$qt_dir" "$qt_dir.unpacking" && mkdir -p "$qt_dir.unpacking"
    tar -xJf "$qt_archive" -C "$qt_dir.unpacking"
    mv "$qt_dir.unpacking/qt5-mingw64" "$qt_dir" && rmdir "$qt_dir.unpacking"
    echo "$qt_archive_sha256" >"$stamp"
  else
    [ -f "$stamp" ] && return 0
    echo "== $qt_archive is not here: building Qt for Windows from Debian's sources, once"
    rm -rf "$qt_dir"
    "$project_dir/scripts/build-qt-windows.sh" "$qt_dir"
    echo "built from Debian's source packages" >"$stamp"
  fi
}

cross_build() {
  echo "== cross-building for Windows in $build_dir"
  cmake -S "$project_dir" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$project_dir/cmake/x86_64-w64-mingw32.cmake" \
    -DCMAKE_PREFIX_PATH="$qt_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTICKVALE_WERROR=ON >/dev/null
  cmake --build "$build_dir" -j2
}

# The platform-neutral suites, each a Windows program run by CTest through Wine, in a fresh
# prefix of their own.
run_suites() {
  echo "== the Windows suites under Wine"
  local work
  work=$(mktemp -d)
  wine_display_start
  wine_prefix_new "$work/prefix"
  # No suite reads the event log of Wine: the prefix's own wevtutil is the tests' stand-in,
  # which lists only what a suite writes for it, so the log tab of any suite finds it first.
  cp "$build_dir/tests/standins/wevtutil.exe" "$work/prefix/drive_c/windows/system32/wevtutil.exe"
  wine_prefix_keep_running "$work/prefix"
  local code=0
  (cd "$build_dir" && WINEPREFIX=$work/prefix ctest --output-on-failure -j2 --timeout 600) || code=$?
  wine_session_end
  rm -rf "$work"
  return $code
}

# The zip: the program, the Qt DLLs and plugins it uses, the compiler's runtime, the help page
# and the interface font.
package() {
  local root=$build_dir/package stage=$build_dir/package/TickvalePro
  echo "== packaging $build_dir/$zip_name"
  rm -rf "$root" "$build_dir/$zip_name"
  mkdir -p "$stage"/{platforms,sqldrivers,styles,imageformats,help,fonts}
  x86_64-w64-mingw32-strip -o "$stage/tickvale.exe" "$build_dir/tickvale.exe"
  cp "$qt_dir"/bin/Qt5{Core,Gui,Widgets,Sql,Network}.dll "$stage/"
  cp "$qt_dir/plugins/platforms/qwindows.dll" "$stage/platforms/"
  cp "$qt_dir/plugins/sqldrivers/qsqlite.dll" "$stage/sqldrivers/"
  cp "$qt_dir/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
  # The one picture that is not a PNG (PNG is built into Qt) is a JPEG.
  cp "$qt_dir/plugins/imageformats/qjpeg.dll" "$stage/imageformats/"
  # The compiler's runtime comes with its debugging symbols: the program needs none of them.
  local dll
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    x86_64-w64-mingw32-strip -o "$stage/$dll" "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")"
  done
  cp "$project_dir/resources/help/help.html" "$stage/help/"
  cp "$project_dir/resources/fonts/TickvaleSansSC-Regular.otf" "$project_dir/resources/fonts/LICENSE-OFL.txt" "$stage/fonts/"
  (cd "$root" && zip -q -r -X -9 "../$zip_name" TickvalePro)
  echo "== $zip_name: $(( $(stat -c %s "$build_dir/$zip_name") / 1024 )) KiB"
}

start_packaged_program() {
  echo "== the zip's program in a brand-new Wine prefix"
  "$project_dir/tests/windows/zip-start.sh" "$build_dir/$zip_name" "$build_dir/zip-start.png"
}

# The zip's program, in a brand-new prefix of its own, runs a countdown to "关机" against the tests'
# stand-in shutdown.exe.
run_packaged_countdown() {
  echo "== a countdown task in the zip's program"
  "$project_dir/tests/windows/countdown-shutdown.sh" "$build_dir/$zip_name" "$build_dir/tests/stand-ins"
}

trap wine_session_end EXIT
install_missing "${packages[@]}"
prepare_qt
cross_build
case $step in
  build) ;;
  test) run_suites ;;
  package) package && start_packaged_program && run_packaged_countdown ;;
  all) run_suites && package && start_packaged_program && run_packaged_countdown ;;
  *) echo "usage: scripts/windows.sh [build | test | package | all]" >&2; exit 2 ;;
esac
