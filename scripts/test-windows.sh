#!/usr/bin/env bash
# The Windows leg of ./test.sh: cross-builds Veltra.dll, Brickfall.exe and the
# tests with mingw-w64 into build-windows/ and runs them under Wine on an Xvfb
# display of their own (see cmake/VeltraWine.cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-windows -j"$jobs"
ctest --test-dir build-windows --output-on-failure -j"$jobs"
