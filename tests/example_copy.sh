#!/usr/bin/env bash
# The second game as a newcomer starts from it: its folder copied out of the
# tree builds against an installed Veltra with find_package alone, makes its
# pictures and sounds beside the program, and the program loads the installed
# library.
# Usage: example_copy.sh CMAKE CXX GENERATOR BUILD_DIR EXAMPLE_DIR
set -euo pipefail
cmake_bin=$1 cxx=$2 generator=$3 build=$4 example=$5
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "example copy: $*" >&2; exit 1; }

"$cmake_bin" --install "$build" --prefix "$work/prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install failed"; }
cp -r "$example" "$work/game"
"$cmake_bin" -S "$work/game" -B "$work/build" -G "$generator" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$work/prefix" >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure failed"; }
"$cmake_bin" --build "$work/build" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build failed"; }
. "$example/flock.names"
for asset in "$FLOCK_SHEEP_PICTURE" "$FLOCK_DOG_PICTURE" "$FLOCK_PEN_PICTURE" "$FLOCK_BARK_PICTURE" \
  "$FLOCK_BARK_SOUND" "$FLOCK_BLEAT_SOUND" "$FLOCK_TUNE_SOUND"; do
  [ -s "$work/build/$asset" ] || fail "no $asset beside the program"
done
loaded="$(ldd "$work/build/flock" | awk '/libVeltra/ { print $3 }')"
[[ "$loaded" == "$work/prefix/"* ]] || fail "the game loads '$loaded', not the installed library"
echo "example copy: $(basename "$example") builds alone against the installed Veltra"
