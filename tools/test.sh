#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite, GL tests included, on a 1920x1080
# virtual screen, then the browser build in a headless browser.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
# The logic and the loaders once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPINAKORA_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target unitTests glTests >/dev/null
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
xvfb-run -a -s "-screen 0 1920x1080x24" sh -c '
    build-sanitize/tests/unitTests --gtest_brief=1 &&
    build-sanitize/tests/glTests --gtest_brief=1 \
        --gtest_filter="ModelUpload.*:TextureLoading.*:Conversions/*:ShaderBuild.*:HallLayout.*"'

xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure -j2 --timeout 600

# The browser build in headless Chromium against the desktop's frame.
bash tools/webTest.sh
