#!/usr/bin/env bash
# Starts or stops the Wine session of one Windows build folder: a private
# 64-bit prefix in BUILD/wine/prefix, an Xvfb display of its own and a
# persistent wineserver, so the tests that follow start quickly.
#   wine-session.sh start BUILD     wine-session.sh stop BUILD
set -euo pipefail
action="$1"
dir="$(cd "$2" && pwd)/wine"
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$dir"

stop() {
  if [ -f "$dir/display" ]; then
    "$here/wine-run.sh" "$(dirname "$dir")" --server -k 2>/dev/null || true
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
  fi
  rm -f "$dir/display"
}

case "$action" in
  stop)
    stop
    ;;
  start)
    stop
    # -displayfd lets Xvfb pick a free display, so several builds can run at once.
    exec 3> "$dir/display.tmp"
    # Daemons keep no descriptor of ours open, or ctest would wait for them.
    # -noreset: a server that resets when its last client leaves refuses
    # whoever connects meanwhile (see scripts/with-xvfb.sh).
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset < /dev/null > "$dir/xvfb.log" 2>&1 &
    echo $! > "$dir/xvfb.pid"
    exec 3>&-
    for _ in $(seq 100); do
      [ -s "$dir/display.tmp" ] && break
      sleep 0.1
    done
    [ -s "$dir/display.tmp" ] || { echo "wine-session: Xvfb did not start (see $dir/xvfb.log)" >&2; exit 1; }
    mv "$dir/display.tmp" "$dir/display"
    mkdir -p "$dir/prefix"
    "$here/wine-run.sh" "$(dirname "$dir")" --server -p < /dev/null > "$dir/wineserver.log" 2>&1
    "$here/wine-run.sh" "$(dirname "$dir")" wineboot --init < /dev/null > "$dir/wineboot.log" 2>&1
    echo "wine-session: prefix $dir/prefix on display :$(head -n1 "$dir/display")"
    ;;
  *)
    echo "usage: wine-session.sh start|stop BUILD" >&2
    exit 2
    ;;
esac
