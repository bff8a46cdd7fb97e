#!/usr/bin/env bash
# Runs a sound test program under Wine with a sound device whose output lands
# in a file: Wine's ALSA is pointed at a configuration whose default device
# is ALSA's file plugin in front of a null device, and the program finds the
# file in VELTRA_SOUND_CAPTURE. Each program gets a folder of its own.
#   sound_wine.sh BUILD program.exe [args...]
set -euo pipefail
build="$(cd "$1" && pwd)"
shift
dir="$build/wine/sound/$(basename "$1" .exe)"
mkdir -p "$dir"
capture="$dir/capture.raw"
cat > "$dir/asound.conf" <<CONF
pcm.!default {
  type file
  slave.pcm "silent"
  file "$capture"
  format "raw"
}
pcm.silent {
  type null
}
CONF
rm -f "$capture"
export ALSA_CONFIG_PATH="$dir/asound.conf" VELTRA_SOUND_CAPTURE="$capture"
exec "$(dirname "$0")/../../scripts/wine-run.sh" "$build" "$@"
