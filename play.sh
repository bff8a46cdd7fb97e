#!/usr/bin/env bash
# Installs and builds only what playing needs, then plays Brickfall. Without a
# display ($DISPLAY unset) it plays a few seconds on a private X server instead
# and saves a screenshot:
#   ./play.sh [SCREENSHOT.png]   (default build/brickfall.png)
set -euo pipefail
cd "$(dirname "$0")"
lists=(play) targets=(brickfall brickfall_pictures_files)
if [ -z "${DISPLAY:-}" ]; then
  lists+=(headless) targets+=(window_driver)
fi
./scripts/install-deps.sh "${lists[@]}"
# A new tree leaves out the tests and benchmarks, whose packages playing does
# not install; a tree that ./test.sh configured keeps them.
fresh=()
[ -f build/CMakeCache.txt ] || fresh=(-DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_BENCHMARKS=OFF)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${fresh[@]}"
cmake --build build -j"$(nproc)" --target "${targets[@]}"

if [ -n "${DISPLAY:-}" ]; then
  # The game opens its pictures by relative name: start it beside them.
  cd build/demo
  exec ./Brickfall
fi

shot="${1:-build/brickfall.png}"
case "$shot" in /*) ;; *) shot="$PWD/$shot" ;; esac
echo "play: no display, so playing on a private X server"
exec ./scripts/with-xvfb.sh ./scripts/play-headless.sh "$PWD/build" "$shot"
