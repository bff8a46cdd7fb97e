#!/usr/bin/env bash
# Builds and plays Flock, the game in examples/flock. Without a display
# ($DISPLAY unset) it plays a few seconds on a private X server instead and
# saves a screenshot:
#   ./scripts/play-flock.sh [SCREENSHOT.png]   (default build/flock.png)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The game and its pictures, and what drives it headless: nothing else.
cmake --build build -j"$(nproc)" --target flock window_driver

if [ -n "${DISPLAY:-}" ]; then
  exec build/examples/flock/flock
fi

shot="${1:-build/flock.png}"
case "$shot" in /*) ;; *) shot="$PWD/$shot" ;; esac
echo "play: no display, so playing on a private X server"
exec ./scripts/with-xvfb.sh ./scripts/flock-headless.sh "$PWD/build" "$shot"
