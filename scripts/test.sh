#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
set -euo pipefail
export TICKVALE_WITH_TESTS=1
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

cd "$build_dir"
ctest --output-on-failure -j2 --timeout 600
