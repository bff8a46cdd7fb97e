#!/usr/bin/env bash
# Runs a command on a private Xvfb display (any free number), then stops the server.
# Usage: scripts/with-xvfb.sh COMMAND [ARGS...]   (exit status: the command's;
# the server's pid is in XVFB_PID, for a command that ends it itself)
set -euo pipefail
command -v Xvfb >/dev/null || { echo "veltra: Xvfb not found; run ./scripts/install-deps.sh" >&2; exit 77; }
dir="$(mktemp -d)"
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -rf "$dir"' EXIT
if ! read -r -t 20 number <"$dir/display"; then
  echo "veltra: Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
  exit 1
fi
status=0
DISPLAY=":$number" XVFB_PID="$xvfb" "$@" || status=$?
exit "$status"
