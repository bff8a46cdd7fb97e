#!/usr/bin/env bash
# ./play.sh's headless run (scripts/play-headless.sh on a private Xvfb) when
# the game is slow to start, dies before its window shows, or dies while
# playing: started through PLAY_WRAPPER, the script's hook for that.
# Usage: play_headless_test.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
command -v xdotool >/dev/null || { echo "play headless test: xdotool not found" >&2; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "play headless test: $*" >&2
  failures=$((failures + 1))
}

# The wrappers: each gets the game's command line.
cat >"$work/slow" <<'WRAP'
#!/bin/sh
sleep 12
exec "$@"
WRAP
cat >"$work/refuses" <<'WRAP'
#!/bin/sh
echo "video driver: $SDL_VIDEODRIVER"
echo "cannot start: no luck today" >&2
exit 3
WRAP
cat >"$work/crashes" <<'WRAP'
#!/bin/sh
"$@" &
sleep 2
kill -9 $!
wait $!
WRAP
chmod +x "$work/slow" "$work/refuses" "$work/crashes"

# wrapper | wanted status | what the output must hold | at most this many seconds
cases=(
  # 12 s is past what play.sh used to wait for the window.
  "slow|0|screenshot saved to|40"
  # It stops waiting at once and says why, the X server's log included.
  "refuses|3|video driver: x11.*no luck today.*X server's log|10"
  "crashes|137|exited with status 137 while playing.*X server's log|20"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r wrapper want pattern limit <<<"$entry"
  shot="$work/$wrapper.png"
  started=$SECONDS status=0
  PLAY_WRAPPER="$work/$wrapper" "$root/scripts/with-xvfb.sh" "$root/scripts/play-headless.sh" "$build" "$shot" \
    >"$work/$wrapper.out" 2>&1 || status=$?
  took=$((SECONDS - started))
  [ "$status" = "$want" ] || fail "$wrapper: exit status $status, want $want"
  tr '\n' ' ' <"$work/$wrapper.out" | grep -qE "$pattern" || fail "$wrapper: the output lacks /$pattern/"
  [ "$took" -le "$limit" ] || fail "$wrapper: took $took s, want at most $limit"
  if [ "$want" = 0 ]; then
    # A PNG: its signature, then its header chunk.
    [ "$(od -An -tx1 -N16 "$shot" 2>/dev/null | tr -d ' \n')" = 89504e470d0a1a0a0000000d49484452 ] ||
      fail "$wrapper: no screenshot"
  fi
  if [ "$failures" -gt 0 ]; then sed 's/^/  | /' "$work/$wrapper.out" >&2; fi
done
[ "$failures" -eq 0 ] || exit 1
echo "play headless test: slow start, refused start and crash all handled"
