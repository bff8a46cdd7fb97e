#!/usr/bin/env bash
# Long run: Brickfall, unchanged, plays SOAK_FRAMES frames (default 100,000) on a
# private Xvfb with the pointer sweeping across the window and the frame pacing
# off (SDL_RENDER_VSYNC=0), through the frame_counter preload, which samples RSS
# after warm-up and at the end and then closes the window. Fails unless the game
# exits 0 with nothing on stderr and its RSS grew by at most 1 MiB after warm-up:
# a leak of 12 bytes a frame over the 90,000 frames after warm-up would pass
# that, while the run-to-run noise of malloc's arenas and the X and GL drivers'
# caches stays well under it (measured: a few hundred KiB, flat after 30,000 frames).
set -euo pipefail
cd "$(dirname "$0")/.."
frames="${SOAK_FRAMES:-100000}"
warmup=10000
margin_kib=1024
build="$PWD/build"

if [ "${1:-}" != --on-display ]; then
  cmake --build "$build" -j2 --target brickfall frame_counter brickfall_pictures_files >/dev/null
  exec scripts/with-xvfb.sh "$0" --on-display
fi

dir="$(mktemp -d)"
sweeper=""
trap '[ -n "$sweeper" ] && kill "$sweeper" 2>/dev/null; rm -rf "$dir"' EXIT

scripts/pointer-sweep.sh 0.03 "$dir/xdotool.err" &
sweeper=$!

start="$(date +%s%N)"
status=0
(cd "$build/demo" && timeout 900 env FRAME_COUNTER_FRAMES="$frames" FRAME_COUNTER_WARMUP="$warmup" \
  FRAME_COUNTER_REPORT="$dir/report" SDL_RENDER_VSYNC=0 LD_PRELOAD="$build/tests/libframe_counter.so" \
  ./Brickfall 2>"$dir/stderr") || status=$?
end="$(date +%s%N)"

figure() { sed -n "s/^$1 //p" "$dir/report" 2>/dev/null; }
ran="$(figure frames)" closed="$(figure close_at)" before="$(figure warmup_rss_kib)" after="$(figure end_rss_kib)"
printf 'soak: %s frames in %d.%d s, RSS %s KiB at frame %s, %s KiB at frame %s\n' "${ran:-?}" \
  "$(((end - start) / 1000000000))" "$(((end - start) / 100000000 % 10))" "${before:-?}" "$warmup" "${after:-?}" "$frames"

failed=0
[ "$status" -eq 0 ] || { echo "soak: Brickfall exited with status $status"; failed=1; }
[ ! -s "$dir/stderr" ] || { echo "soak: Brickfall wrote to stderr:"; head -20 "$dir/stderr"; failed=1; }
if [ "${closed:-}" != "$frames" ] || [ -z "${before:-}" ] || [ "${before:-0}" -le 0 ] || [ "${after:-0}" -le 0 ]; then
  echo "soak: the game did not reach frame $frames with both RSS figures taken"
  failed=1
elif [ "$((after - before))" -gt "$margin_kib" ]; then
  echo "soak: RSS grew by $((after - before)) KiB after warm-up (allowed: $margin_kib KiB)"
  failed=1
fi
[ ! -s "$dir/xdotool.err" ] || { echo "soak: xdotool failed:"; head -5 "$dir/xdotool.err"; failed=1; }
exit "$failed"
