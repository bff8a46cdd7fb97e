#!/usr/bin/env bash
# Builds the Debian package with cpack and checks it as apt would get it:
# its control fields, its file list, and, unpacked, that an outside program
# builds against it, that Brickfall starts from its launcher and that the API
# reference opens on its main page.
# Usage: check_deb.sh CPACK BUILD_DIR VERSION SOVERSION WITH_BRICKFALL WITH_DOCS CONSUMER_ARGS...
set -euo pipefail
cpack_bin=$1 build=$2 version=$3 soversion=$4 with_brickfall=$5 with_docs=$6
shift 6
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../../demo/brickfall.names"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

"$cpack_bin" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/veltra_"$version"_*.deb)
[ -f "${debs[0]}" ] || fail "no veltra_${version}_*.deb made"
deb="${debs[0]}"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = veltra ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends="$(field Depends)"
wanted_depends=(libc6 libstdc++6 fonts-dejavu-core)
[ "$with_brickfall" = 1 ] && wanted_depends+=(libsdl2-2.0-0)
for dep in "${wanted_depends[@]}"; do
  [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | grep -v '^$' | sort >"$work/files"
expect_file() { grep -qxE "$1" "$work/files" || fail "the package lacks $1"; }
lib='/usr/lib(/[^/]+)?'
expect_file "$lib/libVeltra\\.so\\.$version"
expect_file "$lib/libVeltra\\.so\\.$soversion"
expect_file "$lib/libVeltra\\.so"
expect_file "$lib/cmake/Veltra/VeltraConfig(Version)?\\.cmake"
expect_file "$lib/pkgconfig/veltra\\.pc"
expect_file /usr/include/veltra/veltra\\.h
if [ "$with_brickfall" = 1 ]; then
  expect_file /usr/bin/brickfall
  expect_file "$lib/brickfall/Brickfall"
  for picture in "$BRICKFALL_BLOCK_PICTURE" "$BRICKFALL_PADDLE_PICTURE" "$BRICKFALL_BALL_PICTURE"; do
    expect_file "/usr/share/brickfall/${picture//./\\.}"
  done
  expect_file /usr/share/applications/brickfall\\.desktop
  expect_file /usr/share/pixmaps/brickfall\\.png
fi
if [ "$with_docs" = 1 ]; then
  for page in index classvLDevice classvLMaterial veltra_8h; do
    expect_file "/usr/share/doc/veltra/html/$page\\.html"
  done
fi
# Only what a user needs: nothing from the tests, tools or examples.
if grep -E '(test|make_images|sandbox|gtest|\.a$)' "$work/files"; then fail "the package holds build-only files"; fi
grep -vE '^/usr(/(bin|include|lib|share)(/.*)?)?$' "$work/files" && fail "files outside /usr/{bin,include,lib,share}"

root="$work/root"
dpkg-deb -x "$deb" "$root"
"$here/../consumer/run.sh" "$@" --prefix "$root/usr" >"$work/consumer.log" 2>&1 ||
  { cat "$work/consumer.log"; fail "an outside program does not build against the package"; }

if [ "$with_docs" = 1 ]; then
  # The reference opens on the main page, not on an empty one, and its links lead somewhere.
  html="$root/usr/share/doc/veltra/html"
  grep -q 'href="classvLDevice.html' "$html/index.html" || fail "the reference's main page does not lead to vLDevice"
  missing="$(grep -o 'href="[^":#]*\.html' "$html/index.html" | sed 's/^href="//' | sort -u |
    while read -r page; do [ -f "$html/$page" ] || echo "$page"; done)"
  [ -z "$missing" ] || fail "the main page links to pages the package lacks: $missing"
fi

if [ "$with_brickfall" = 1 ]; then
  desktop="$root/usr/share/applications/brickfall.desktop"
  if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop" || fail "bad desktop entry"; fi
  grep -qx 'Exec=brickfall' "$desktop" || fail "the desktop entry does not start brickfall"
  for png in "$root"/usr/share/brickfall/*.png; do
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  done
  # Started from its launcher, the game finds its pictures and library, opens
  # its window and keeps running until stopped: no engine complaint at all.
  status=0
  "$here/../../scripts/with-xvfb.sh" timeout 4 "$root/usr/bin/brickfall" >"$work/game.log" 2>&1 || status=$?
  [ "$status" = 124 ] || { cat "$work/game.log"; fail "brickfall ended by itself with status $status"; }
  ! grep -q 'veltra:' "$work/game.log" || { cat "$work/game.log"; fail "brickfall complained"; }
fi
echo "package test: $(basename "$deb") holds $(wc -l <"$work/files") paths and works unpacked"
