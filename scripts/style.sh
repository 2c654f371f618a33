#!/usr/bin/env bash
# The project's written style: every C++ file formatted as .clang-format says, and the static
# checks of .clang-tidy passing on the product code. Exits non-zero on any unformatted file or
# finding. The test command runs it; run it alone after a build with:
#   scripts/style.sh                 (uses build/compile_commands.json)
#   scripts/style.sh --fix-format    (formats the files in place instead of checking them)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build_dir=${BUILD_DIR:-build}

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix-format ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi

echo "== formatting of ${#sources[@]} files"
unformatted=()
for file in "${sources[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "not formatted as .clang-format says (scripts/style.sh --fix-format mends them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi

# The product code of this system; the Windows services are checked by the Windows build.
mapfile -t checked < <(git ls-files '*.cpp' | grep -vE '^(tests|bench|resources)/|^platform/windows/')
echo "== static checks of ${#checked[@]} files"
[ -f "$build_dir/compile_commands.json" ] \
  || { echo "$build_dir/compile_commands.json is missing: build first" >&2; exit 1; }
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! printf '%s\n' "${checked[@]}" | xargs -P2 -n8 clang-tidy -p "$build_dir" --quiet >"$report" 2>&1; then
  grep -E '^[^ ].*(error|warning):' "$report" | sort -u >&2 || cat "$report" >&2
  exit 1
fi
echo "== style: clean"
