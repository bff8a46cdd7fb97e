#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and writes their seed
# corpora: scripts/fuzz-seeds.sh [FOLDER] (default build-fuzz/seeds), one
# sub-folder per target.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build-fuzz/seeds}"
CC="${FUZZ_CC:-clang}" CXX="${FUZZ_CXX:-clang++}" \
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_FUZZ=ON \
  -DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_BENCHMARKS=OFF > build-fuzz.log
cmake --build build-fuzz --target fuzz -j"$(nproc)" >> build-fuzz.log
rm -rf "$out"
build-fuzz/tests/fuzz/make_seeds "$out"
