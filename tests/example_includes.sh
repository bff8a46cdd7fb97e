#!/usr/bin/env bash
# A game written against Veltra alone includes nothing of a platform: only
# <veltra/veltra.h>, standard C++ headers (<cmath>, <string>: no extension,
# no folder) and its own headers beside it.
# Usage: example_includes.sh FOLDER
set -euo pipefail
cd "$1"
bad=0 count=0
while IFS=: read -r file line text; do
  count=$((count + 1))
  header="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*//' <<<"$text")"
  case "$header" in
    "<veltra/veltra.h>") continue ;;
    \<*[./]*\>) ;;                       # a folder or an extension: not the standard library's
    \<*\>) continue ;;
    \"*\") [ -f "${header//\"/}.in" ] || [ -f "${header//\"/}" ] && continue ;;
  esac
  echo "$file:$line: $header is not veltra.h, the standard library or the game's own"
  bad=1
done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' -- *.cpp *.h)
[ "$count" -gt 0 ] || { echo "no includes found in $1"; exit 1; }
[ "$bad" -eq 0 ] && echo "$count includes in $1: veltra.h, the standard library and its own headers"
exit "$bad"
