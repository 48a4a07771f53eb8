#!/usr/bin/env bash
# Sets up, builds and starts the viewer from the project root (it reads ./res and ./shaders).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
exec ./build/pinakora
