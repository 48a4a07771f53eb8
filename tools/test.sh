#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite, GL tests included, on a 1920x1080
# virtual screen, then the browser build in a headless browser.
#
# It must stay within 12 minutes on a clean clone with 2 cores (the README lists each
# stage's share). Where a stage leaves a core idle (the sanitizer runs and the fuzzers are
# single processes, the viewer's tests run one at a time) other work fills it: the page is
# built in the background at low priority from the start, the fuzz targets and the
# sanitizer runs go side by side, and so do ctest and the browser test. The seconds of each
# stage are printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scratch="$(mktemp -d)"
webBuild=""
tests=""
trap '[ -z "$webBuild" ] || kill -- -"$webBuild" 2>/dev/null || true
      [ -z "$tests" ] || kill -- -"$tests" 2>/dev/null || true
      rm -rf "$scratch"' EXIT
# Wall seconds, and the CPU seconds of the processes that ended in it (a background job's
# count in the stage it ends in): on a busy machine the CPU time tells what a stage costs.
stages=()
stageStart=$SECONDS
cpuStart=0
stage() {
    local cpu
    times >"$scratch/times"  # in this shell: a subshell has no children of its own
    cpu=$(awk 'NR == 2 { for (i = 1; i <= 2; ++i) { split($i, t, /[ms]/); s += 60 * t[1] + t[2] } }
               END { printf "%d", s }' "$scratch/times")
    stages+=("$(printf '%-24s %4d s wall %5d s CPU' "$1" $((SECONDS - stageStart)) $((cpu - cpuStart)))")
    stageStart=$SECONDS
    cpuStart=$cpu
}

bash tools/setup.sh
stage "setup, build/"
# The page needs only build/'s mesh packer: it compiles in the spare cycles of what follows.
setsid nice -n 15 bash tools/web.sh --no-serve --hall examples/hall --hall examples/court >"$scratch/webBuild.log" 2>&1 &
webBuild=$!

# The logic and the loaders once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# with line tables for debug information: enough for the reports' files and lines.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPINAKORA_SANITIZE=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1 >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target unitTests glLoaderTests capture >/dev/null
stage "build-sanitize/"
# Beside them, the real start-up and two frames with leak detection on: nothing of ours may
# leak. tests/lsan.supp names leaks of libraries that are not ours. The GL driver is kept
# loaded past glfwTerminate (preloaded, after the sanitizer runtime, which must come
# first), so that what it still holds at exit is reachable and its frames have names.
preload="$(c++ -print-file-name=libasan.so) $(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n1)"
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
export scratch preload supp="$PWD/tests/lsan.supp"
xvfb-run -a -s "-screen 0 1920x1080x24" sh -c '
    build-sanitize/tests/unitTests --gtest_brief=1 >"$scratch/unit.log" 2>&1 &
    unit=$!
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$supp" LD_PRELOAD="$preload" \
        build-sanitize/capture --at 0.5 --step 0.25 --size 32x18 --out "$scratch/frames" \
        >/dev/null 2>"$scratch/leak.log" &
    leak=$!
    build-sanitize/tests/glLoaderTests --gtest_brief=1 \
        --gtest_filter="ModelUpload.*:TextureLoading.*:Conversions/*:ShaderBuild.*:HallLayout.*" \
        >"$scratch/gl.log" 2>&1
    gl=$?
    wait $unit
    unit=$?
    wait $leak
    leak=$?
    cat "$scratch/unit.log" "$scratch/gl.log"
    [ $leak -eq 0 ] || { cat "$scratch/leak.log"; echo "The start-up with leak detection failed ($leak)."; }
    [ $unit -eq 0 ] && [ $gl -eq 0 ] && [ $leak -eq 0 ]'
stage "sanitizer runs"

# The loaders' fuzz targets, where clang's libFuzzer is at hand: 40 s each, side by side,
# from small seeds (the inputs of past findings among them) and the smallest files of res/.
if command -v clang++-14 >/dev/null; then
    CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPINAKORA_SANITIZE=ON \
        -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG" \
        >/dev/null
    if cmake --build build-fuzz -j"$(nproc)" --target modelFuzz imageFuzz >/dev/null 2>&1; then
        stage "build-fuzz/"
        mkdir -p "$scratch/modelSeeds" "$scratch/imageSeeds" "$scratch/modelCorpus" "$scratch/imageCorpus"
        cp res/models/podest2.obj res/models/multicube.obj res/models/weapon.obj "$scratch/modelSeeds/"
        cp res/textures/white.jpg "$scratch/imageSeeds/"
        fuzzers=()
        for kind in model image; do
            # A finding stops the script; its input is kept in build-fuzz/ as crash-* or timeout-*.
            # A request the allocator cannot meet returns null, as it does outside the
            # sanitizer: the decoders must cope with that.
            (cd "$scratch" && ASAN_OPTIONS=allocator_may_return_null=1 \
                LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" \
                "$root/build-fuzz/tests/${kind}Fuzz" -max_total_time=40 -timeout=25 \
                -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/build-fuzz/" \
                "${kind}Corpus" "$root/tests/fuzz/seeds/$kind" "${kind}Seeds" >"${kind}Fuzz.log" 2>&1) &
            fuzzers+=($!)
        done
        found=0
        for kind in model image; do
            if ! wait "${fuzzers[0]}"; then
                tail -n 40 "$scratch/${kind}Fuzz.log"
                found=1
            fi
            fuzzers=("${fuzzers[@]:1}")
            grep -h "stat::number_of_executed_units" "$scratch/${kind}Fuzz.log" | sed "s/^/${kind}Fuzz: /"
        done
        [ $found -eq 0 ] || exit 1
        stage "fuzzing"
    else
        echo "Fuzz targets not built (no libFuzzer with this clang)."
    fi
fi

# ctest and the browser test side by side: the viewer's tests run one at a time and the
# browser waits on its pages, so together they keep both cores busy. The browser test
# starts once the page's build (beside the stages above) is done; had that build failed,
# webTest.sh builds once more and shows why.
setsid xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure -j2 --timeout 600 >"$scratch/ctest.log" 2>&1 &
tests=$!
wait "$webBuild" || true
webBuild=""
stage "rest of the page's build"
browser=0
bash tools/webTest.sh || browser=$?
stage "browser test"
ctestStatus=0
wait "$tests" || ctestStatus=$?
tests=""
stage "rest of ctest"
cat "$scratch/ctest.log"
echo "Seconds per stage (ctest from the page's build on, side by side with it and the browser):"
printf '  %s\n' "${stages[@]}"
[ "$browser" -eq 0 ] && [ "$ctestStatus" -eq 0 ]
