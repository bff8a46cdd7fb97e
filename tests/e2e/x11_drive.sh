# Sourced by the e2e scripts that drive a program's window on an X display,
# as a user would, the same way for the native build and for the Windows
# build under Wine: start the program, find its window, type and click at it,
# read its pixels, close it.
#   drive_setup native|wine BUILD   then start_program, find_window, ...
# Native runs use $DISPLAY (scripts/with-xvfb.sh gives a private one); Wine
# runs use the display of the build's Wine session.

drive_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
convert=/usr/bin/convert  # ImageMagick's own, whatever stands first on the PATH

drive_setup() {
  drive_platform="$1" drive_build="$(cd "$2" && pwd)"
  if [ "$drive_platform" = wine ]; then
    DISPLAY=":$(head -n1 "$drive_build/wine/display")"
    export DISPLAY
    # With a sound device whose output lands in a file, as the sound tests have.
    drive_run=("$drive_root/tests/windows/sound_wine.sh" "$drive_build")
  else
    drive_run=()
    # Named, the X11 video driver is the only one SDL tries: a slow server
    # then gives a clear failure, not a wander to another driver.
    export SDL_VIDEODRIVER=x11
  fi
}

# start_program FOLDER PROGRAM LOG: starts it in FOLDER (where its pictures
# are), stdout and stderr in LOG.out and LOG.err; its pid in $program, and
# the file its sound output goes to (raw 16-bit samples) in $sound. Natively
# that is SDL's disk driver, which says so on stderr, unless SDL_AUDIODRIVER
# names another.
start_program() {
  if [ "$drive_platform" = wine ]; then
    sound="$drive_build/wine/sound/$(basename "$2" .exe)/capture.raw"
  else
    sound="$3.sound.raw"
  fi
  (cd "$1" && SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-disk}" SDL_DISKAUDIOFILE="$sound" exec "${drive_run[@]}" "./$2" > "$3.out" 2> "$3.err") &
  program=$!
}

# wait_program SECONDS: $status becomes the exit status of $program, or
# "running" if it has not ended by then.
wait_program() {
  for _ in $(seq $(( $1 * 10 ))); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  status=running
  kill -0 "$program" 2>/dev/null && return
  status=0
  wait "$program" || status=$?
}

# find_window TITLE SECONDS: the id of the shown window titled TITLE, in
# $window; gives up at once when $program has ended.
find_window() {
  window=""
  for _ in $(seq $(( $2 * 5 ))); do
    kill -0 "$program" 2>/dev/null || return 1
    window="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)" || window=""
    [ -n "$window" ] && return 0
    sleep 0.2
  done
  return 1
}

# Prints the window's client area on the screen: X Y WIDTH HEIGHT.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

# Gives the window the keyboard, as a click on it would.
focus() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.3
}

grab() { xwd -silent -id "$1" | "$convert" xwd:- "$2"; }

# Pixels of FILE within FUZZ% of COLOUR ("rgb(r,g,b)"): their count, and
# their bounding box (WxH+X+Y).
colour_count() {
  "$convert" "$1" -fuzz "$3%" -fill black +opaque "$2" -fill white -opaque "$2" -colorspace gray \
    -format '%[fx:round(mean*w*h)]' info:
}
colour_box() { "$convert" "$1" -fuzz "$3%" -fill black +opaque "$2" -format '%@' info:; }

# Closes the window as its user would: natively with the close button's
# message from the window manager, under Wine with Alt+F4 (the platform's own
# shortcut), which also goes through the program's key handling.
close_window() {
  if [ "$drive_platform" = wine ]; then
    focus "$1"
    xdotool key --clearmodifiers alt+F4
  else
    "$drive_build/tests/window_driver" close "$2"
  fi
}

# in_order FILE LINE...: the lines come in FILE in this order, counting
# from the last time the first one does.
in_order() {
  local file="$1"
  shift
  awk -v n="$#" 'BEGIN { for (i = 1; i < ARGC; i++) want[i] = ARGV[i]; ARGC = 1 }
    $0 == want[1] { seen = 1; at = 2; next }
    seen && at <= n && $0 == want[at] { at++ }
    END { exit !(seen && at > n) }' "$@" < "$file"
}

fail() {
  echo "FAIL: $*"
  exit 1
}
