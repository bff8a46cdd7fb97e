#!/usr/bin/env bash
# Builds everything and plays Brickfall. Without a display ($DISPLAY unset) it
# plays a few seconds on a private X server instead, moving the pointer, and
# saves a screenshot: ./play.sh [SCREENSHOT.png]  (default build/brickfall.png).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
root="$PWD"
# The game opens its pictures by relative name: start it beside them.
cd build/demo

if [ -n "${DISPLAY:-}" ]; then
  exec ./Brickfall
fi

shot="${1:-$root/build/brickfall.png}"
case "$shot" in /*) ;; *) shot="$root/$shot" ;; esac
driver="$root/build/tests/window_driver"
scratch="$(mktemp -d)"
game="" xvfb=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to fd 3 once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
[ -s "$scratch/display" ] || { echo "play: Xvfb did not start:"; cat "$scratch/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$scratch/display")"
echo "play: no display, so playing on a private X server ($DISPLAY)"

./Brickfall &
game=$!
for _ in $(seq 100); do xdotool search --name '^Tilebash$' >/dev/null 2>&1 && break; sleep 0.05; done
window="$(xdotool search --name '^Tilebash$' | head -n1)"
[ -n "$window" ] || { echo "play: the Tilebash window did not appear"; exit 1; }

# Sweep the paddle across the window (it sits at x = 100 on the screen) and back.
for x in 420 520 620 560 460 360 260 160 260 360; do
  xdotool mousemove "$x" 540
  sleep 0.4
done
"$driver" screenshot Tilebash "$shot"
echo "play: screenshot saved to $shot"

# Close it as a window manager's close button does, and expect a clean exit.
"$driver" close Tilebash
status=0
wait "$game" || status=$?
game=""
echo "play: Brickfall exited with status $status"
exit "$status"
