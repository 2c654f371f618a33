#!/usr/bin/env bash
# Builds the program and its Debian package: build/tickvale_<version>_amd64.deb.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
project_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$project_dir/build}

source "$project_dir/scripts/install-packages.sh"
# dpkg-shlibdeps (dpkg-dev) finds the package's library dependencies; CPack asks `file` which
# files are programs.
install_missing cmake g++ make pkg-config qtbase5-dev qtbase5-dev-tools libx11-dev libxi-dev libxext-dev \
  dpkg-dev file

cmake -S "$project_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j2 --target tickvale
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/tickvale_*.deb
