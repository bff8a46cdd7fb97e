#!/usr/bin/env bash
# Builds the web games (out/web) and serves them on 127.0.0.1, printing the
# URL to open. Without a display ($DISPLAY unset) it plays Brickfall in
# headless Chromium for a few seconds instead and saves a screenshot:
#   ./play-web.sh [SCREENSHOT.png]   (default out/web/brickfall-web.png; PORT=8000 picks the port)
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh web
cmake --preset web
cmake --build --preset web -j"$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
  exec /usr/bin/python3 scripts/web_driver.py serve out/web "${PORT:-8000}"
fi
shot="${1:-out/web/brickfall-web.png}"
echo "play-web: no display, so playing in headless Chromium"
exec /usr/bin/python3 scripts/web_driver.py play out/web "$shot"
