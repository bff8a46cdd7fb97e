#!/usr/bin/env bash
# Flock on a real display.
#   flock_e2e.sh play native|wine BUILD GAME_DIR
#     it draws the field, the dog runs with an arrow key, a click barks where
#     the pointer is, its sound reaches the output, and closing the window
#     ends the game with status 0 and nothing said (pictures in
#     BUILD/tests/flock_<platform>/);
#   flock_e2e.sh display-lost BUILD GAME_DIR
#     its own X server dies under it at a few moments of its play: the game leaves
#     its loop with one "veltra: " line and exits with status 0, without
#     hanging or crashing.
set -euo pipefail
here="$(dirname "$0")"
. "$here/x11_drive.sh"
. "$here/../../examples/flock/flock.names"
mode="$1"
shift
# Colours the game draws: the field, the dog's coat, the bark's ring (the
# pictures are drawn 1:1, so only filtering at their edges blends them).
grass="rgb(86,140,62)" coat="rgb(176,102,46)" ring="rgb(255,236,80)"

# Waits until the window shows the field (the game plays), the grab in FILE.
wait_for_field() {
  for _ in $(seq 50); do
    grab "$window" "$1"
    [ "$(colour_count "$1" "$grass" 2)" -gt 200000 ] && return 0
    sleep 0.2
  done
  fail "no field drawn (see $1)"
}

# The dog: where its coat is, as "x y" of the middle of its box.
dog_at() {
  colour_box "$1" "$coat" 8 | awk -F'[x+]' '{ print $3 + $1 / 2, $4 + $2 / 2 }'
}

if [ "$mode" = play ]; then
  drive_setup "$1" "$2"
  dir="$3"
  out="$drive_build/tests/flock_$1"
  mkdir -p "$out"
  name=flock
  [ "$1" = wine ] && name=flock.exe
  start_program "$dir" "$name" "$out/flock"
  trap 'kill "$program" 2>/dev/null || true' EXIT
  find_window "$FLOCK_CAPTION" 30 || fail "no $FLOCK_CAPTION window: $(cat "$out/flock.err")"
  read -r _ _ w h <<<"$(geometry "$window")"
  [ "$w $h" = "640 480" ] || fail "the client area is $w x $h, not 640 x 480"

  wait_for_field "$out/start.png"
  read -r x0 y0 <<<"$(dog_at "$out/start.png")"
  focus "$window"
  xdotool keydown Right sleep 1.5 keyup Right sleep 0.3
  grab "$window" "$out/ran.png"
  read -r x1 y1 <<<"$(dog_at "$out/ran.png")"
  awk -v x0="$x0" -v x1="$x1" -v y0="$y0" -v y1="$y1" 'BEGIN { exit !(x1 - x0 > 60 && (y1 - y0) ^ 2 < 225) }' ||
    fail "the dog did not run right: from $x0,$y0 to $x1,$y1 (see $out/ran.png)"

  # A click barks: a ring round the pointer, growing, for a moment.
  barked=""
  for _ in 1 2 3; do
    xdotool mousemove --window "$window" 250 300 click 1
    sleep 0.1
    grab "$window" "$out/bark.png"
    box="$(colour_box "$out/bark.png" "$ring" 10)"
    if [ "$(colour_count "$out/bark.png" "$ring" 10)" -gt 150 ] &&
      awk -F'[x+]' '{ exit !(($3 + $1 / 2 - 250) ^ 2 < 64 && ($4 + $2 / 2 - 300) ^ 2 < 64) }' <<<"$box"; then
      barked=yes
      break
    fi
    sleep 0.7
  done
  [ -n "$barked" ] || fail "no bark ring round the click at 250,300 (see $out/bark.png)"

  close_window "$window" "$FLOCK_CAPTION"
  wait_program 15
  trap - EXIT
  [ "$status" = 0 ] || fail "Flock ended with status $status: $(cat "$out/flock.err")"
  ! grep -q '^veltra: ' "$out/flock.err" || fail "Flock said: $(cat "$out/flock.err")"
  # Its tune, barks and bleats reached the sound output.
  [ "$(tr -d '\0' < "$sound" | head -c 1 | wc -c)" = 1 ] || fail "Flock played no sound into $sound"
  echo "Flock ($1): drew the field, the dog ran from $x0 to $x1, a click barked, sound played, closed with status 0"
elif [ "$mode" = display-lost ]; then
  for after in 0 0.7 2; do "$drive_root/scripts/with-xvfb.sh" "$0" display-lost-at "$after" "$@"; done
elif [ "$mode" = display-lost-at ]; then  # on a server of its own, from scripts/with-xvfb.sh
  after="$1"
  drive_setup native "$2"
  export SDL_AUDIODRIVER=dummy  # a silent output that says nothing, so Flock's one line stands alone
  out="$drive_build/tests/flock_display_lost"
  mkdir -p "$out"
  start_program "$3" flock "$out/flock"
  trap 'kill "$program" 2>/dev/null || true' EXIT
  find_window "$FLOCK_CAPTION" 30 || fail "no $FLOCK_CAPTION window: $(cat "$out/flock.err")"
  wait_for_field "$out/playing.png"
  sleep "$after"
  kill -KILL "$XVFB_PID"
  wait_program 10
  [ "$status" != running ] || fail "Flock still runs 10 s after its display went away ($after s in)"
  said="$(cat "$out/flock.err")"
  [ "$status" = 0 ] || fail "Flock ended with status $status when its display went away ($after s in): $said"
  [ "$(wc -l <<<"$said")" = 1 ] && [[ "$said" == "veltra: "*display* ]] ||
    fail "Flock said, when its display went away ($after s in): $said"
  echo "display gone $after s into play: status 0, said: $said"
else
  fail "unknown mode $mode"
fi
