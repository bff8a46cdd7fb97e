#!/usr/bin/env bash
# Installs and builds only what playing needs, then plays Flock, the game in
# examples/flock. Without a display ($DISPLAY unset) it plays a few seconds on
# a private X server instead and saves a screenshot:
#   ./scripts/play-flock.sh [SCREENSHOT.png]   (default build/flock.png)
set -euo pipefail
cd "$(dirname "$0")/.."
lists=(play) targets=(flock)
if [ -z "${DISPLAY:-}" ]; then
  lists+=(headless) targets+=(window_driver)
fi
./scripts/install-deps.sh "${lists[@]}"
# As ./play.sh: a new tree leaves out the tests and benchmarks.
fresh=()
[ -f build/CMakeCache.txt ] || fresh=(-DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_BENCHMARKS=OFF)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${fresh[@]}"
cmake --build build -j"$(nproc)" --target "${targets[@]}"

if [ -n "${DISPLAY:-}" ]; then
  exec build/examples/flock/flock
fi

shot="${1:-build/flock.png}"
case "$shot" in /*) ;; *) shot="$PWD/$shot" ;; esac
echo "play: no display, so playing on a private X server"
exec ./scripts/with-xvfb.sh ./scripts/flock-headless.sh "$PWD/build" "$shot"
