#!/usr/bin/env bash
# The sound leg of ./test.sh for the browser: the sound core built as
# WebAssembly with Debian's emscripten (into build-sound-node/) must give the
# committed hash of the scripted mix under node, as natively and under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's node does not otherwise see the modules emscripten needs. The
# package's prebuilt library cache is used as it is: a cache elsewhere would
# be rebuilt from scratch for many minutes.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S tests/sound_node -B build-sound-node -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build-sound-node -j"$(nproc)"
node build-sound-node/sound_mix_node.js
