#!/usr/bin/env bash
# Sets everything up, builds, and analyses the bundled sample page: prints its summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build.sh build
build/bin/sumoran-cli samples/sample.html "$@"
