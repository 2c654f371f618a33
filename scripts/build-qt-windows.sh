#!/usr/bin/env bash
# Cross-builds Qt 5.15 for 64-bit Windows (qtbase: Core, Gui, Widgets, Sql with SQLite, Network,
# Test and the rest of qtbase, the Windows platform plugin) with Debian 12's mingw-w64, from
# Debian's own source packages, into PREFIX. The same Qt as the project's prebuilt archive; used
# by windows.sh when that archive is not at hand. About 25 minutes on 2 cores.
# usage: scripts/build-qt-windows.sh PREFIX [WORKDIR]
set -euo pipefail
prefix=$(realpath -m "${1:?usage: build-qt-windows.sh PREFIX [WORKDIR]}")
work=$(realpath -m "${2:-${TMPDIR:-/tmp}/tickvale-qt-windows-build}")
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

# Source packages come from the machine's own Debian mirrors: the entries of its
# debian.sources, for sources.
if ! apt-get source --print-uris qtbase-opensource-src >/dev/null 2>&1; then
  debian_sources=/etc/apt/sources.list.d/debian.sources
  [ -f "$debian_sources" ] || { echo "no $debian_sources to take the mirror from" >&2; exit 1; }
  echo "== enabling Debian source packages from the mirrors of $debian_sources"
  sed 's/^Types:.*/Types: deb-src/' "$debian_sources" | "${sudo[@]}" tee /etc/apt/sources.list.d/tickvale-deb-src.sources >/dev/null
  "${sudo[@]}" apt-get update -q
fi
"${sudo[@]}" apt-get install -y -q --no-install-recommends g++ g++-mingw-w64-x86-64-posix \
  gcc-mingw-w64-x86-64-posix perl python3 make tcl xz-utils dpkg-dev >/dev/null

mkdir -p "$work" && cd "$work"

# The SQLite amalgamation, made from Debian's sqlite3 source: the Qt source package leaves
# its copy of SQLite out.
if [ ! -f sqlite-amalgamation/sqlite3.c ]; then
  echo "== SQLite amalgamation from Debian's sqlite3 source"
  apt-get source --download-only sqlite3 >/dev/null
  rm -rf sqlite-src && mkdir sqlite-src
  tar xJf sqlite3_*.orig.tar.xz -C sqlite-src --strip-components=1
  (cd sqlite-src && ./configure >/dev/null && make sqlite3.c >/dev/null)
  mkdir -p sqlite-amalgamation && cp sqlite-src/sqlite3.c sqlite-src/sqlite3.h sqlite-amalgamation/
fi

if [ ! -d qtbase ]; then
  echo "== Qt's source from Debian's qtbase-opensource-src"
  apt-get source --download-only qtbase-opensource-src >/dev/null
  mkdir qtbase && tar xJf qtbase-opensource-src_*.orig.tar.xz -C qtbase --strip-components=1
fi
mkdir -p qtbase/src/3rdparty/sqlite && cp sqlite-amalgamation/sqlite3.[ch] qtbase/src/3rdparty/sqlite/
# The source package leaves out the Wintab header too: the Windows platform plugin is built
# without Wintab tablets (pen input through WM_POINTER stays).
sed -i 's/QT_CONFIG(tabletevent)/0/' qtbase/src/plugins/platforms/windows/qwindowscontext.cpp
sed -i 's/^qtConfig(tabletevent) {/false {/' qtbase/src/plugins/platforms/windows/windows.pri

mkdir -p build && cd build
if [ ! -f Makefile ]; then
  echo "== configuring Qt for $prefix"
  ../qtbase/configure -prefix "$prefix" -xplatform win32-g++ \
    -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
    -opensource -confirm-license -release -shared -nomake examples -nomake tests \
    -no-opengl -no-dbus -no-icu -no-openssl -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre \
    -qt-harfbuzz -qt-freetype -sql-sqlite -qt-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql -silent
fi
echo "== building Qt (about 25 minutes on 2 cores; the compiler's output goes to $work/make.log)"
if ! make -j"$(nproc)" >"$work/make.log" 2>&1 || ! make install >>"$work/make.log" 2>&1; then
  tail -n 40 "$work/make.log" >&2
  echo "building Qt failed; the whole output is in $work/make.log" >&2
  exit 1
fi
rm -rf "$prefix/doc"
cd / && rm -rf "$work"
echo "== Qt for Windows installed in $prefix"
