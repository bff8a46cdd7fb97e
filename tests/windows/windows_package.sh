#!/usr/bin/env bash
# The Windows install and zip: Brickfall.exe, Veltra.dll and the pictures land
# in one folder, the zip holds that folder, and the installed game plays
# under Wine from there.
# Usage: windows_package.sh BUILD PROBE   (inside the build's Wine session)
set -euo pipefail
build="$(cd "$1" && pwd)" probe="$2"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../../demo/brickfall.names"
prefix="$build/tests/windows_install"
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null

game=(bin/Brickfall.exe bin/Veltra.dll)
for picture in "$BRICKFALL_BLOCK_PICTURE" "$BRICKFALL_PADDLE_PICTURE" "$BRICKFALL_BALL_PICTURE"; do game+=("bin/$picture"); done
for f in "${game[@]}" include/veltra/veltra.h; do
  [ -f "$prefix/$f" ] || { echo "the install lacks $f"; exit 1; }
done

rm -rf "$build/packages"
(cd "$build" && cpack -G ZIP > /dev/null)
zip="$(ls "$build"/packages/*.zip)"
listing="$(cmake -E tar tf "$zip")"
for f in "${game[@]}"; do
  grep -q "/$f\$" <<<"$listing" || { echo "$(basename "$zip") lacks $f"; exit 1; }
done
echo "$(basename "$zip"): $(wc -l <<<"$listing") files, the game among them"

"$here/brickfall_wine.sh" "$build" "$prefix/bin" "$probe" installed
