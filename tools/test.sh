#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite, GL tests included, on a 1920x1080
# virtual screen, then the browser build in a headless browser.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
# The logic and the loaders once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPINAKORA_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target unitTests glTests capture >/dev/null
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
xvfb-run -a -s "-screen 0 1920x1080x24" sh -c '
    build-sanitize/tests/unitTests --gtest_brief=1 &&
    build-sanitize/tests/glTests --gtest_brief=1 \
        --gtest_filter="ModelUpload.*:TextureLoading.*:Conversions/*:ShaderBuild.*:HallLayout.*"'

# The real start-up and two frames with leak detection on: nothing of ours may leak.
# tests/lsan.supp names leaks of libraries that are not ours. The GL driver is kept
# loaded past glfwTerminate (preloaded, after the sanitizer runtime, which must come
# first), so that what it still holds at exit is reachable and its frames have names.
root="$PWD"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
preload="$(c++ -print-file-name=libasan.so) $(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n1)"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    xvfb-run -a -s "-screen 0 1920x1080x24" env LD_PRELOAD="$preload" \
    build-sanitize/capture --at 0.5 --step 0.25 --size 32x18 --out "$scratch/frames" >/dev/null

# The loaders' fuzz targets, where clang's libFuzzer is at hand: 40 s each from small
# seeds (the inputs of past findings among them) and the smallest files of res/.
if command -v clang++-14 >/dev/null; then
    CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPINAKORA_SANITIZE=ON \
        -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
    if cmake --build build-fuzz -j"$(nproc)" --target modelFuzz imageFuzz >/dev/null 2>&1; then
        mkdir -p "$scratch/modelSeeds" "$scratch/imageSeeds" "$scratch/modelCorpus" "$scratch/imageCorpus"
        cp res/models/podest2.obj res/models/multicube.obj res/models/weapon.obj "$scratch/modelSeeds/"
        cp res/textures/white.jpg "$scratch/imageSeeds/"
        for kind in model image; do
            # A finding stops the script; its input is kept in build-fuzz/ as crash-* or timeout-*.
            # A request the allocator cannot meet returns null, as it does outside the
            # sanitizer: the decoders must cope with that.
            if ! (cd "$scratch" && ASAN_OPTIONS=allocator_may_return_null=1 \
                    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" \
                    "$root/build-fuzz/tests/${kind}Fuzz" -max_total_time=40 -timeout=25 \
                    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/build-fuzz/" \
                    "${kind}Corpus" "$root/tests/fuzz/seeds/$kind" "${kind}Seeds" >"${kind}Fuzz.log" 2>&1); then
                tail -n 40 "$scratch/${kind}Fuzz.log"
                exit 1
            fi
            grep -h "stat::number_of_executed_units" "$scratch/${kind}Fuzz.log" | sed "s/^/${kind}Fuzz: /"
        done
    else
        echo "Fuzz targets not built (no libFuzzer with this clang)."
    fi
fi

xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure -j2 --timeout 600

# The browser build in headless Chromium against the desktop's frame.
bash tools/webTest.sh
