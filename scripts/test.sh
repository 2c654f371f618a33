#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
set -euo pipefail
export TICKVALE_WITH_TESTS=1
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

(cd "$build_dir" && ctest --output-on-failure -j2 --timeout 600)

# The Windows program: cross-built, its suites under Wine, the zip started in a fresh prefix.
# TICKVALE_WINDOWS=0 leaves it out.
if [ "${TICKVALE_WINDOWS:-1}" != 0 ]; then
  "$project_dir/scripts/windows.sh"
fi
