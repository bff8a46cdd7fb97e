#!/usr/bin/env bash
# Sweeps the pointer back and forth across Brickfall's window (x 100 .. 740 on
# the screen) until killed: scripts/pointer-sweep.sh PAUSE [ERROR_LOG], PAUSE
# seconds between steps. One xdotool per sweep keeps its cost low.
set -uo pipefail
pause="$1" errors="${2:-/dev/null}"
sweep=()
for x in $(seq 60 40 780) $(seq 740 -40 100); do sweep+=(mousemove "$x" 340 sleep "$pause"); done
while xdotool "${sweep[@]}" 2>>"$errors"; do :; done
