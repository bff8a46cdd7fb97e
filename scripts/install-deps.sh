#!/usr/bin/env bash
# Installs the missing Debian packages of the lists named, from the sections of
# debian-packages.txt: scripts/install-deps.sh LIST... (`all`, the default, is
# every list). Through sudo unless run as root.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
list_file="$here/debian-packages.txt"
mapfile -t known < <(sed -n 's/^\[\([a-z0-9-]*\)\]$/\1/p' "$list_file")
[ $# -gt 0 ] || set -- all
stray="$(awk '/^\[/ { seen = 1 } !seen && !/^[[:space:]]*(#|$)/ { print FNR ": " $0; exit }' "$list_file")"
[ -z "$stray" ] || { echo "veltra: $list_file line $stray: a package before any [list]" >&2; exit 2; }

wanted=()
for list in "$@"; do
  if [ "$list" = all ]; then
    selected=("${known[@]}")
  elif printf '%s\n' "${known[@]}" | grep -qx -- "$list"; then
    selected=("$list")
  else
    echo "veltra: no package list \"$list\" in $list_file; the lists are: all ${known[*]}" >&2
    exit 2
  fi
  for section in "${selected[@]}"; do
    mapfile -t -O "${#wanted[@]}" wanted < <(awk -v want="[$section]" '
      /^\[/ { inside = ($0 == want); next }
      inside && !/^[[:space:]]*(#|$)/ { print $1 }' "$list_file")
  done
done

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "veltra: installing ${missing[*]} needs root: run this as root, or install sudo" >&2
    exit 1
  fi
  sudo="sudo"
fi
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
