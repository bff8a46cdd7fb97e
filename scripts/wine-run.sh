#!/usr/bin/env bash
# Runs a Windows program under Wine in the private prefix of a build folder,
# in the current folder, and returns its exit status. Inside a session
# (wine-session.sh) it gets the session's display; without one it runs with
# no display, which serves console programs such as the build's own tools.
#   wine-run.sh BUILD program.exe [args...]     wine-run.sh BUILD --server ARGS (wineserver)
set -euo pipefail
dir="$(cd "$1" && pwd)/wine"
shift
mkdir -p "$dir/prefix"
export WINEPREFIX="$dir/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$dir/display" ]; then
  export DISPLAY=":$(head -n1 "$dir/display")"
else
  unset DISPLAY
fi
if [ "$1" = "--server" ]; then
  shift
  exec wineserver "$@"
fi
exec wine "$@"
