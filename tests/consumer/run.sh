#!/usr/bin/env bash
# Builds and runs the outside program in this folder against an installed
# engine, with find_package and with pkg-config, and then a copy of the
# example EXAMPLE_DIR ("-" for none), as a user starting from it would. The
# engine is either the build tree installed into a temporary prefix, or a
# prefix given (such as an unpacked .deb).
# Usage: run.sh CMAKE CXX GENERATOR VERSION SOVERSION EXAMPLE_DIR (--install BUILD_DIR | --prefix PREFIX)
set -euo pipefail
cmake_bin=$1 cxx=$2 generator=$3 version=$4 soversion=$5 example=$6 how=$7 where=$8
src="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "consumer test: $*" >&2; exit 1; }

case "$how" in
  --install)
    prefix="$work/prefix"
    "$cmake_bin" --install "$where" --prefix "$prefix" >"$work/install.log" ||
      { cat "$work/install.log"; fail "install failed"; } ;;
  --prefix) prefix="$(cd "$where" && pwd)" ;;
  *) fail "unknown mode $how" ;;
esac
pc="$(find "$prefix" -name veltra.pc)"
[ -n "$pc" ] || fail "no veltra.pc installed"
libdir="$(dirname "$(dirname "$pc")")"
lib="$libdir/libVeltra.so.$version"
[ -f "$lib" ] || fail "no $lib"
[ "$(readlink "$libdir/libVeltra.so.$soversion")" = "libVeltra.so.$version" ] || fail "libVeltra.so.$soversion does not link to the library"
[ "$(readlink "$libdir/libVeltra.so")" = "libVeltra.so.$soversion" ] || fail "libVeltra.so does not link to libVeltra.so.$soversion"
soname="$(objdump -p "$lib" | awk '$1 == "SONAME" { print $2 }')"
[ "$soname" = "libVeltra.so.$soversion" ] || fail "SONAME is '$soname', want libVeltra.so.$soversion"

# Links through the SONAME and loads the library from the prefix, not the
# build tree; then runs with the arguments given.
check_binary() {
  local exe=$1 how=$2
  shift 2
  objdump -p "$exe" | grep -q "NEEDED *libVeltra.so.$soversion\$" || fail "$how: does not need libVeltra.so.$soversion"
  local loaded
  loaded="$(LD_LIBRARY_PATH="$libdir" ldd "$exe" | awk '/libVeltra/ { print $3 }')"
  [ "$loaded" = "$libdir/libVeltra.so.$soversion" ] || fail "$how: loads '$loaded'"
  LD_LIBRARY_PATH="$libdir" "$exe" "$@" || fail "$how: the program failed"
}

cmake_args=(-G "$generator" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release)
"$cmake_bin" -S "$src" -B "$work/cmake" "${cmake_args[@]}" -DVELTRA_WANT="${version%.*}" >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; fail "find_package(Veltra ${version%.*}) failed"; }
grep -q "^Veltra_DIR:PATH=$prefix/" "$work/cmake/CMakeCache.txt" || fail "find_package found a Veltra outside the prefix"
"$cmake_bin" --build "$work/cmake" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "find_package build failed"; }
check_binary "$work/cmake/consumer" find_package

# The version file must turn down a request for an older, ABI-incompatible
# release (before 1.0 every minor release is one).
IFS=. read -r major minor _ <<<"$version"
older=""
if [ "$major" -gt 0 ]; then older="$((major - 1)).0"; elif [ "$minor" -gt 0 ]; then older="0.$((minor - 1))"; fi
if [ -n "$older" ] &&
  "$cmake_bin" -S "$src" -B "$work/older" "${cmake_args[@]}" -DVELTRA_WANT="$older" >/dev/null 2>&1; then
  fail "find_package(Veltra $older) accepted the incompatible version $version"
fi

mkdir "$work/pc"
PKG_CONFIG_PATH="$(dirname "$pc")" make -s -C "$work/pc" -f "$src/Makefile" SRC="$src" CXX="$cxx" >"$work/make.log" 2>&1 ||
  { cat "$work/make.log"; fail "pkg-config build failed"; }
check_binary "$work/pc/consumer-pc" pkg-config

built="find_package and pkg-config builds"
if [ "$example" != - ]; then
  # A copy outside the tree, configured and built as its own project.
  name="$(basename "$example")"
  cp -R "$example" "$work/$name"
  { "$cmake_bin" -S "$work/$name" -B "$work/$name/build" "${cmake_args[@]}" &&
    "$cmake_bin" --build "$work/$name/build"; } >"$work/example.log" 2>&1 ||
    { cat "$work/example.log"; fail "a copy of $name does not build"; }
  # Headless, it finds its pictures and draws a frame without a word from the engine.
  SDL_VIDEODRIVER=offscreen check_binary "$work/$name/build/$name" "copied $name" --frames 3 \
    --screenshot "$work/$name.png" 2>"$work/example.err"
  ! grep -q 'veltra:' "$work/example.err" || { cat "$work/example.err"; fail "copied $name: the engine complained"; }
  [ "$(head -c 8 "$work/$name.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "copied $name: no screenshot"
  built+=" and a copy of $name"
fi
echo "consumer test: $built run against $prefix"
