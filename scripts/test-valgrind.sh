#!/usr/bin/env bash
# Brickfall, unchanged, under valgrind's memcheck for VALGRIND_FRAMES frames on
# a private Xvfb, on SDL's software renderer and window surface (memcheck cannot see into a GL
# driver's work), with the pointer sweeping; the frame_counter preload closes
# the window after the last frame. Fails on an invalid read or write or a use
# of uninitialised values whose stack runs through the project's own code
# (engine/, demo/, libVeltra.so, Brickfall); errors wholly inside the system
# libraries are only counted.
set -euo pipefail
cd "$(dirname "$0")/.."
# About 2.5 minutes on the 2-core build machine (some 1 ms a frame under memcheck,
# with no GL driver behind the window surface to emulate).
frames="${VALGRIND_FRAMES:-150000}"
build="$PWD/build"

if [ "${1:-}" != --on-display ]; then
  command -v valgrind >/dev/null || { echo "veltra: valgrind not found; run ./scripts/install-deps.sh valgrind" >&2; exit 77; }
  cmake --build "$build" -j2 --target brickfall frame_counter brickfall_pictures_files >/dev/null
  exec scripts/with-xvfb.sh "$0" --on-display
fi

dir="$(mktemp -d)"
sweeper=""
trap '[ -n "$sweeper" ] && kill "$sweeper" 2>/dev/null; rm -rf "$dir"' EXIT

scripts/pointer-sweep.sh 0.2 &
sweeper=$!

start="$(date +%s%N)"
status=0
# Full paths in stacks, so the project's frames are known by their folder.
(cd "$build/demo" && timeout 1200 env FRAME_COUNTER_FRAMES="$frames" FRAME_COUNTER_REPORT="$dir/report" \
  SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 SDL_RENDER_VSYNC=0 LD_PRELOAD="$build/tests/libframe_counter.so" \
  valgrind --tool=memcheck --leak-check=no --error-limit=no --num-callers=40 --fullpath-after= \
  --log-file="$dir/memcheck.log" ./Brickfall 2>"$dir/stderr") || status=$?
end="$(date +%s%N)"

# One block per error: a header line, the stack of the faulting access, then
# optional notes (where the block was allocated, ...) with stacks of their own.
# Only the first stack decides whether the error is the project's.
read -r ours others < <(sed 's/^==[0-9]*== //' "$dir/memcheck.log" | awk -v root="$PWD/" '
  function finish() { if (kind) { if (mine) o++; else t++ } kind = 0 }
  /^(Invalid (read|write)|Conditional jump or move depends on uninitialised|Use of uninitialised value|Syscall param .* uninitialised)/ {
    finish(); kind = 1; stack = 1; mine = 0; next
  }
  kind && stack && /^ +(at|by) 0x/ {
    if (index($0, root "engine/") || index($0, root "demo/") || /libVeltra\.so/ || /\/Brickfall\)/) mine = 1
    next
  }
  kind && /^$/ { finish(); next }
  kind { stack = 0 }
  END { finish(); print o + 0, t + 0 }')
ran="$(sed -n 's/^frames //p' "$dir/report" 2>/dev/null)"
closed="$(sed -n 's/^close_at //p' "$dir/report" 2>/dev/null)"
printf 'valgrind: %s frames in %d s, %s errors in project code, %s outside it (%s)\n' "${ran:-?}" \
  "$(((end - start) / 1000000000))" "$ours" "$others" "$(grep -o 'ERROR SUMMARY.*' "$dir/memcheck.log" | tail -1)"

failed=0
[ "$status" -eq 0 ] || { echo "valgrind: Brickfall exited with status $status"; tail -20 "$dir/memcheck.log"; failed=1; }
[ "${closed:-}" = "$frames" ] || { echo "valgrind: the game did not reach frame $frames"; failed=1; }
if [ "$ours" -ne 0 ]; then
  echo "valgrind: errors whose stack runs through the project:"
  sed 's/^==[0-9]*== //' "$dir/memcheck.log" | grep -v '^--' | head -150
  failed=1
fi
[ ! -s "$dir/stderr" ] || { echo "valgrind: Brickfall wrote to stderr:"; head -20 "$dir/stderr"; }
# VALGRIND_LOG=FILE keeps memcheck's whole report.
[ -z "${VALGRIND_LOG:-}" ] || cp "$dir/memcheck.log" "$VALGRIND_LOG"
exit "$failed"
