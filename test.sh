#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native
# build first, then each extra leg (scripts/test-*.sh, e.g. sanitizers, Windows).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh all
jobs="$(nproc)"

# On, also in a tree that ./play.sh made without them.
SECONDS=0
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_BUILD_TESTS=ON -DVELTRA_BUILD_BENCHMARKS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
echo "== native build and tests took ${SECONDS} s"

for leg in scripts/test-*.sh; do
  if [ -x "$leg" ]; then
    echo "== $leg"
    SECONDS=0
    "$leg"
    # Each leg's share of CI's time budget, for whoever adds the next one.
    echo "== $leg took ${SECONDS} s"
  fi
done
