#!/usr/bin/env bash
# Runs a Windows program in the Wine session of a build folder (started by
# wine-session.sh), in the current folder, and returns its exit status.
#   wine-run.sh BUILD program.exe [args...]     wine-run.sh BUILD --server ARGS (wineserver)
set -euo pipefail
dir="$(cd "$1" && pwd)/wine"
shift
[ -f "$dir/display" ] || { echo "wine-run: no Wine session in $dir; run wine-session.sh start first" >&2; exit 2; }
export WINEPREFIX="$dir/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=":$(head -n1 "$dir/display")"
if [ "$1" = "--server" ]; then
  shift
  exec wineserver "$@"
fi
exec wine "$@"
