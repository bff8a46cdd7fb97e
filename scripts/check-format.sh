#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format makes of it.
# Usage: scripts/check-format.sh [clang-format binary]   (exit 77: no clang-format)
set -euo pipefail
cd "$(dirname "$0")/.."
tool="${1:-$(command -v clang-format || command -v clang-format-14 || true)}"
if [ -z "$tool" ] || ! [ -x "$(command -v "$tool")" ]; then
  echo "veltra: clang-format not found; install it (./scripts/install-deps.sh test) to check formatting"
  exit 77
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.hpp' '*.cc' |
    while read -r f; do [ -f "$f" ] && echo "$f"; done)
else
  mapfile -t files < <(find . -path './build*' -prune -o -path ./out -prune -o \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print)
fi
# One run over every file: starting clang-format per file costs more than the check.
report="$("$tool" --dry-run --Werror "${files[@]}" 2>&1)" && { echo "${#files[@]} files formatted"; exit 0; }
mapfile -t bad < <(printf '%s\n' "$report" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u)
[ ${#bad[@]} -ne 0 ] || { printf '%s\n' "$report"; exit 1; }
printf 'veltra: not formatted: %s\n' "${bad[@]}"
echo "fix with: clang-format -i ${bad[*]}"
exit 1
