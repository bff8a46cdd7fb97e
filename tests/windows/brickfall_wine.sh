#!/usr/bin/env bash
# Brickfall.exe under Wine: it opens its window, draws the background, the
# wall of blocks and the red points text, and after WM_CLOSE ends with status 0.
# Usage: brickfall_wine.sh BUILD PROGRAM_DIR PROBE [NAME]   (inside the build's Wine session;
# NAME names the folder of its logs and frames, brickfall_wine by default)
set -euo pipefail
build="$(cd "$1" && pwd)" bin="$2" probe="$3"
root="$(cd "$(dirname "$0")/../.." && pwd)"
run="$root/scripts/wine-run.sh"
. "$root/demo/brickfall.names"
out="$build/tests/${4:-brickfall_wine}"
mkdir -p "$out"
display=":$(head -n1 "$build/wine/display")"

cd "$bin"  # the game opens its pictures from the current folder
"$run" "$build" Brickfall.exe > "$out/brickfall.log" 2>&1 &
game=$!
trap 'kill "$game" 2>/dev/null || true' EXIT

id=""
for _ in $(seq 150); do
  # The tree query fails when a window vanishes while it runs (Wine's own
  # windows come and go at start-up); that is only a poll to try again.
  id="$(xwininfo -display "$display" -root -tree 2>/dev/null |
    awk -v want="\"$BRICKFALL_CAPTION\": (\"brickfall.exe\"" 'index($0, want) { print $1; exit }')" || id=""
  [ -n "$id" ] && break
  sleep 0.2
done
[ -n "$id" ] || { echo "no $BRICKFALL_CAPTION window appeared"; cat "$out/brickfall.log"; exit 1; }

# The X window is the client area. Counts: pixels of the background colour,
# other pixels in the band of the wall (y < 200), and red pixels of the text.
seen=""
for _ in $(seq 20); do
  sleep 0.5
  xwd -display "$display" -id "$id" -silent > "$out/frame.xwd" 2>/dev/null || continue
  /usr/bin/convert "$out/frame.xwd" "$out/frame.png"
  size="$(/usr/bin/convert "$out/frame.png" -format '%w %h' info:)"
  read -r w h <<<"$size"
  seen="$(/usr/bin/convert "$out/frame.png" -depth 8 rgb:- | od -An -tu1 -w3 -v |
    awk -v w="$w" -v h="$h" '{
      x = (NR - 1) % w; y = int((NR - 1) / w)
      if ($1 == 10 && $2 == 20 && $3 == 30) { if (y >= 200) bg++ } else if (y < 200) wall++
      if (x >= 10 && x < 110 && y >= 10 && y < 30 && $1 >= 120 && $2 < 60 && $3 < 60) red++
    } END {
      ok = bg >= 0.9 * w * (h - 200) && wall >= 0.9 * w * 200 && red >= 20
      printf "%s: %dx%d, background %d, wall %d, red text %d\n", ok ? "drawn" : "not yet", w, h, bg, wall, red
    }')"
  [[ "$seen" == drawn* ]] && break
done
echo "$seen"
[[ "$seen" == drawn* ]] || { echo "the first frames lack the background, the wall or the text (see $out/frame.png)"; exit 1; }

"$run" "$build" "$probe"
status=0
wait "$game" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || { echo "Brickfall.exe ended with status $status after WM_CLOSE"; cat "$out/brickfall.log"; exit 1; }
echo "Brickfall.exe closed on WM_CLOSE with status 0"
