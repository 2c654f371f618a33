#!/usr/bin/env bash
# Installs what building, running and testing Tickvale Pro need on Debian 12, then builds.
# Sourced by run.sh and test.sh.
set -euo pipefail

export LC_ALL=C.UTF-8 LANG=C.UTF-8
project_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$project_dir/build}

packages=(
  # building
  cmake g++ make pkg-config qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite
  libx11-dev libxi-dev libxext-dev
  # running: the system Chinese face, Qt's own texts in Chinese, and a virtual display when
  # there is no screen
  fonts-noto-cjk qttranslations5-l10n xvfb xauth
)
if [ "${TICKVALE_WITH_TESTS:-0}" = 1 ]; then
  # util-linux brings `last`, which lists the login records the power history falls back on
  packages+=(xdotool dbus python3 python3-dbusmock systemd systemd-journal-remote util-linux imagemagick x11-utils
    # a tray host for the tray icon's suite (Debian 12 has no stalonetray)
    trayer
    # the written style: scripts/style.sh
    clang-format clang-tidy git
    # the Debian package: scripts/package.sh and scripts/check-package.sh
    dpkg-dev file)
fi

build() {
  echo "== building in $build_dir"
  local werror=OFF
  [ "${TICKVALE_WITH_TESTS:-0}" = 1 ] && werror=ON
  cmake -S "$project_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTICKVALE_WERROR=$werror >/dev/null
  cmake --build "$build_dir" -j2
}

source "$project_dir/scripts/install-packages.sh"
install_missing "${packages[@]}"
build
