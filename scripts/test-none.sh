#!/usr/bin/env bash
# The graphics-free build (VELTRA_BACKEND=none) in build-none/: the engine's
# tables, helpers, physics and matrices with no graphics library, and every
# test that needs no display.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
cmake -S . -B build-none -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_BACKEND=none -DVELTRA_BUILD_BENCHMARKS=OFF
cmake --build build-none -j"$jobs"
ctest --test-dir build-none --output-on-failure -j"$jobs"
