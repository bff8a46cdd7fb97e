#!/usr/bin/env bash
# Smoke run of every fuzz target, 20 seconds each.
set -euo pipefail
exec "$(dirname "$0")/fuzz.sh" 20
