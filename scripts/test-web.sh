#!/usr/bin/env bash
# The web leg in out/web: the engine and Brickfall built for the browser, the
# determinism hashes in node, and in one headless Chromium the pixel suite's
# page, Brickfall played, without a picture, without WebGL and for 10,000
# frames without heap growth (tests/web_e2e.py).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset web
cmake --build --preset web -j"$(nproc)"
ctest --preset web
