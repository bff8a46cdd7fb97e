#!/usr/bin/env bash
# Runs a command on a private Xvfb display (any free number), then stops the
# server. The command finds the server's log in $XVFB_LOG, to show when
# something on the display fails.
# Usage: scripts/with-xvfb.sh COMMAND [ARGS...]   (exit status: the command's)
set -euo pipefail
command -v Xvfb >/dev/null || { echo "veltra: Xvfb not found; run ./scripts/install-deps.sh headless" >&2; exit 77; }
dir="$(mktemp -d)"
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
# A cold machine may take many seconds to load the server and its keymaps.
if ! read -r -t 60 number <"$dir/display"; then
  echo "veltra: Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
  exit 1
fi
status=0
DISPLAY=":$number" XVFB_LOG="$dir/xvfb.log" "$@" || status=$?
exit "$status"
