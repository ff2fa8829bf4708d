#!/usr/bin/env bash
# Installs what the programs need, builds them (without tests), and opens the bundled sample page
# in the desktop program. Without a display it says so and prints the command-line analysis of the
# page (its summary) instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh run
scripts/build.sh build -DSUMORAN_TESTS=OFF -DSUMORAN_BENCH=OFF
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/sumoran samples/sample.html
fi
echo "No display: printing the command-line analysis of samples/sample.html instead." >&2
exec build/bin/sumoran-cli samples/sample.html "$@"
