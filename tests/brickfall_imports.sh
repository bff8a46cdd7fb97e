#!/usr/bin/env bash
# Brickfall must load the engine library at start and import from it exactly
# the engine operations it uses, no more and no fewer.
# Usage: brickfall_imports.sh PROGRAM LIBRARY CALLS_LIST
set -euo pipefail
program="$1" library="$2" calls="$3"

soname="$(objdump -p "$library" | awk '$1 == "SONAME" { print $2 }')"
needed="$(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }')"
grep -qxF "$soname" <<<"$needed" || { echo "$program does not load $soname at start"; exit 1; }

exported="$(nm -D --defined-only "$library" | awk '{ print $3 }' | sort -u)"
imported="$(nm -D --undefined-only "$program" | awk '{ print $2 }' | sed 's/@.*//' | sort -u)"
got="$(comm -12 <(echo "$exported") <(echo "$imported") | c++filt | sed 's/(.*//' | sort)"
want="$(grep -v '^#' "$calls" | sort)"
if [ "$got" != "$want" ]; then
  echo "engine imports differ (< imported, > expected):"
  diff <(echo "$got") <(echo "$want") || true
  exit 1
fi
echo "$(wc -l <<<"$got") engine operations imported, as expected"
