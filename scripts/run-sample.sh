#!/usr/bin/env bash
# Sets everything up, builds, and opens the bundled sample page in the desktop program. Without a
# display it says so and prints the command-line analysis of the page (its summary) instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build.sh build
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/sumoran samples/sample.html
fi
echo "No display: printing the command-line analysis of samples/sample.html instead." >&2
exec build/bin/sumoran-cli samples/sample.html "$@"
