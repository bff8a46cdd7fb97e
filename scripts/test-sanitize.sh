#!/usr/bin/env bash
# The whole ctest suite again, built with AddressSanitizer (with leak checking)
# and UndefinedBehaviorSanitizer in build-sanitize/. Any finding fails the leg.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/sanitize-env.sh
jobs="$(nproc)"
# Benchmarks measure nothing useful under the sanitizers; the demo and tests are enough.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELTRA_SANITIZE=ON -DVELTRA_BUILD_BENCHMARKS=OFF
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
