#!/usr/bin/env bash
# What Veltra.dll and Brickfall.exe bind to, read from their PE tables with
# the cross objdump: the DLL exports exactly the public API (veltra_exports.txt),
# Brickfall imports exactly the engine operations it uses (CALLS_LIST), neither needs a
# compiler runtime DLL, and Brickfall carries its asInvoker manifest.
# Usage: windows_binaries.sh OBJDUMP CXXFILT Veltra.dll Brickfall.exe EXPORTS_LIST CALLS_LIST
set -euo pipefail
objdump="$1" cxxfilt="$2" dll="$3" exe="$4" exports="$5" calls="$6"
failed=0

# "DLL: symbol" for every imported symbol.
imports() {
  "$objdump" -p "$1" | awk '
    /DLL Name:/ { dll = $3; next }
    dll != "" && NF == 0 { dll = ""; next }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && NF == 3 { print dll ": " $3 }'
}

same() {  # name, got, want
  if [ "$2" != "$3" ]; then
    echo "$1 differ (< got, > expected):"
    diff <(echo "$2") <(echo "$3") || true
    failed=1
  fi
}

dlls() { "$objdump" -p "$1" | awk '/DLL Name:/ { print $3 }' | sort; }
same "Veltra.dll's DLLs" "$(dlls "$dll")" "$(printf '%s\n' KERNEL32.dll USER32.dll WINMM.dll d3d9.dll d3dx9_42.dll msvcrt.dll | sort)"
same "Brickfall.exe's DLLs" "$(dlls "$exe")" "$(printf '%s\n' KERNEL32.dll USER32.dll Veltra.dll msvcrt.dll | sort)"

got="$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NF >= 2 && $1 ~ /^\[/ { print $NF }' |
  "$cxxfilt" | sort)"
same "Veltra.dll's exports" "$got" "$(grep -v '^#' "$exports" | sort)"

got="$(imports "$exe" | awk -F': ' '$1 == "Veltra.dll" { print $2 }' | "$cxxfilt" | sed 's/(.*//' | sort)"
want="$(grep -v '^#' "$calls" | sort)"
same "Brickfall.exe's engine imports" "$got" "$want"

if ! grep -aq 'requestedExecutionLevel level="asInvoker" uiAccess="false"' "$exe"; then
  echo "Brickfall.exe carries no asInvoker manifest"
  failed=1
fi
[ "$failed" -eq 0 ] && echo "Veltra.dll exports $(grep -vc '^#' "$exports") functions; Brickfall.exe imports $(grep -vc '^#' "$calls") of them"
exit "$failed"
