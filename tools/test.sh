#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite, GL tests included, on a 1920x1080
# virtual screen; ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure -j2 --timeout 600
