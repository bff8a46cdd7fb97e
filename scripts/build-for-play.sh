#!/usr/bin/env bash
# Installs and builds only what playing needs: the packages of the `play` list
# (and of `headless` when there is no display) and the targets named, with
# the driver of headless play. ./play.sh and scripts/play-flock.sh start here.
#   scripts/build-for-play.sh TARGET...
set -euo pipefail
cd "$(dirname "$0")/.."
lists=(play) targets=("$@")
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
