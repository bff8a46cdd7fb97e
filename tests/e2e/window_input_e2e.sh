#!/usr/bin/env bash
# The engine's own window on a real display: its caption, its client size,
# fixed; keys typed and the pointer moved and clicked with xdotool, read back
# through the input calls (input_echo prints them); the frame clock; and the
# window's close ending the loop, the program then exiting 0.
# Usage: window_input_e2e.sh native|wine BUILD PROGRAM_DIR LEAST_MEAN_FRAME_MS
set -euo pipefail
. "$(dirname "$0")/x11_drive.sh"
drive_setup "$1" "$2"
dir="$3" least_ms="$4"
out="$drive_build/tests/window_input_$1"
mkdir -p "$out"
title="Veltra input echo"
name=input_echo
[ "$1" = wine ] && name=input_echo.exe

start_program "$dir" "$name" "$out/echo"
trap 'kill "$program" 2>/dev/null || true' EXIT
find_window "$title" 30 || fail "no \"$title\" window: $(cat "$out/echo.err")"
for _ in $(seq 100); do grep -q '^open' "$out/echo.out" && break; sleep 0.1; done

# What the program said goes with any failure from here on.
fail() {
  echo "FAIL: $*"
  echo "input_echo's output, last lines:"
  tail -n 20 "$out/echo.out" "$out/echo.err"
  exit 1
}

# Its size and fixed-size hints, as soon as the window manager could see them.
for _ in $(seq 20); do
  read -r x y w h <<<"$(geometry "$window")"
  hints="$(xprop -id "$window" WM_NORMAL_HINTS)"
  [ "$w $h" = "320 240" ] && grep -q "minimum size: 320 by 240" <<<"$hints" &&
    grep -q "maximum size: 320 by 240" <<<"$hints" && break
  sleep 0.1
done
[ "$w $h" = "320 240" ] || fail "the client area is $w x $h, not 320 x 240"
grep -q "minimum size: 320 by 240" <<<"$hints" && grep -q "maximum size: 320 by 240" <<<"$hints" ||
  fail "the window can be resized: $hints"

# Each key typed is one press, in order; Shift held on both sides is one
# key, let go when the second side is.
focus "$window"
xdotool key --delay 80 a shift+b 0 9 space Left Right Up Down Escape Return Tab BackSpace Delete F1 F12 Home End Prior Next Insert
xdotool key --delay 80 Control_L Control_R Alt_L
xdotool keydown Shift_L sleep 0.3 keydown Shift_R sleep 0.3 keyup Shift_L sleep 0.3 \
  mousemove --window "$window" 7 7 sleep 0.3 keyup Shift_R
want_presses="65 260 66 48 57 32 256 257 258 259 27 13 9 8 127 268 279 264 265 266 267 263 261 261 262 260"

# The pointer in client pixels, also left of and below the window; a button
# let go outside the window still comes up.
xdotool mousemove --window "$window" 30 40 sleep 0.3 click 1 sleep 0.3
xdotool mousemove --window "$window" 200 100 sleep 0.3 click 3 sleep 0.3 click 2 sleep 0.3
xdotool mousemove $((x - 25)) $((y + 300)) sleep 0.3
xdotool mousemove --window "$window" 100 100 sleep 0.3 mousedown 1 sleep 0.3 mousemove $((x - 25)) $((y + 300)) \
  sleep 0.3 mouseup 1 sleep 0.3
close_window "$window" "$title"
wait_program 15
trap - EXIT
tr -d '\r' < "$out/echo.out" > "$out/transcript.txt"  # a Windows program's stdout ends lines in CR LF
[ "$status" = 0 ] || fail "input_echo ended with status $status: $(tail -n5 "$out/transcript.txt") $(cat "$out/echo.err")"

got_presses="$(awk '$1 == "pressed" { printf "%s%s", sep, $2; sep = " " }' "$out/transcript.txt")"
# (Under Wine the window is closed with Alt+F4, whose keys may come after.)
[ "${got_presses:0:${#want_presses}}" = "$want_presses" ] && [ "$1" = wine -o "$got_presses" = "$want_presses" ] ||
  fail "keys pressed: got '$got_presses', want '$want_presses'"
in_order "$out/transcript.txt" "pointer 7 7" "released 260" || fail "Shift was let go while its right-hand key was held"
for line in "pointer 30 40" "button 0 pressed at 30 40" "pointer 200 100" "button 1 pressed at 200 100" \
  "button 2 pressed at 200 100" "pointer -25 300" "button 0 pressed at 100 100" "closed" "faults 0"; do
  grep -qx "$line" "$out/transcript.txt" || fail "no \"$line\" in $out/transcript.txt"
done
in_order "$out/transcript.txt" "button 0 pressed at 100 100" "pointer -25 300" "button 0 released" ||
  fail "the left button, let go outside the window, did not come up"
[ "$(tail -n1 "$out/transcript.txt")" = "faults 0" ] || fail "$(grep '^fault' "$out/transcript.txt")"

# Frame times are non-negative and add up (input_echo checks); their mean
# follows the present's pacing, loosely.
read -r _ _ polls _ mean _ <<<"$(grep '^clock' "$out/transcript.txt")"
awk -v m="$mean" -v least="$least_ms" 'BEGIN { exit !(m >= least && m < 100) }' ||
  fail "mean frame time $mean ms over $polls polls, not from $least_ms to 100 ms"
echo "input_echo ($1): window, $(wc -w <<<"$want_presses") keys, pointer and buttons read back; $polls polls, mean frame $mean ms"
