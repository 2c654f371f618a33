#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
# The suite runs twice: once as shipped, once built with the address and undefined-behaviour
# sanitizers (a leak or an undefined behaviour fails that run).
set -euo pipefail
export TICKVALE_WITH_TESTS=1
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

(cd "$build_dir" && ctest --output-on-failure -j2 --timeout 600)

# The written style: formatting and the static checks (scripts/style.sh).
BUILD_DIR=$build_dir "$project_dir/scripts/style.sh"

# The Debian package, made from the same build and checked without installing it.
BUILD_DIR=$build_dir "$project_dir/scripts/package.sh"
"$project_dir/scripts/check-package.sh" "$(ls "$build_dir"/tickvale_*_amd64.deb | head -n1)"

sanitize_dir=${SANITIZE_BUILD_DIR:-$project_dir/build-sanitize}
echo "== building with address and undefined-behaviour sanitizers in $sanitize_dir"
cmake -S "$project_dir" -B "$sanitize_dir" -DCMAKE_BUILD_TYPE=Debug -DTICKVALE_WERROR=ON \
  -DTICKVALE_SANITIZE=address,undefined >/dev/null
cmake --build "$sanitize_dir" -j2
(cd "$sanitize_dir" && ctest --output-on-failure -j2 --timeout 900)

# The Windows program: cross-built, its suites under Wine, the zip started in a fresh prefix.
# TICKVALE_WINDOWS=0 leaves it out.
if [ "${TICKVALE_WINDOWS:-1}" != 0 ]; then
  "$project_dir/scripts/windows.sh"
fi
