#!/usr/bin/env bash
# Takes the README's picture of the physics sandbox: runs it headless under
# Xvfb and saves a frame with the engine's Screenshot.
# Usage: scripts/sandbox-screenshot.sh [BUILD_DIR] [OUTPUT_PNG]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-docs/physics_sandbox.png}"
sandbox="$build/examples/physics_sandbox/physics_sandbox"
[ -x "$sandbox" ] || { echo "veltra: $sandbox not built; run cmake --build $build first" >&2; exit 1; }
scripts/with-xvfb.sh "$sandbox" --frames 330 --screenshot "$out"
echo "wrote $out"
