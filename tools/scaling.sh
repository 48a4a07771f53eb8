#!/usr/bin/env bash
# Frame cost against an exhibition's size: generates exhibitions of 13, 50 and 200 exhibits
# and of 13 with one ball of 100k, 1M or 4M triangles (generateAssets --scaling, into
# build/scaling), runs the benchmark on each and prints a table of the passes' median CPU
# times (the work, not the waiting, on a shared machine) with each frame's ratio to the 13
# exhibits; docs/scaling.png plots them.
#
#   tools/scaling.sh [--size 960x540] [--frames 30]
set -euo pipefail
cd "$(dirname "$0")/.."
size=960x540
frames=30
while [ $# -gt 0 ]; do
    case "$1" in
        --size) size="$2"; shift 2 ;;
        --frames) frames="$2"; shift 2 ;;
        *) echo "usage: tools/scaling.sh [--size WxH] [--frames N]" >&2; exit 2 ;;
    esac
done
out=build/scaling
command -v gnuplot >/dev/null ||
    DEBIAN_FRONTEND=noninteractive $([ "$(id -u)" -ne 0 ] && echo sudo) \
        apt-get install -y -qq --no-install-recommends gnuplot-nox >/dev/null
cmake --build build -j"$(nproc)" --target benchmark generateAssets >/dev/null
[ -f "$out/triangles-4M/models/ball.gltf" ] || ./build/generateAssets --scaling "$out"
run=()
[ -n "${DISPLAY:-}" ] || run=(xvfb-run -a -s "-screen 0 1920x1080x24")
halls=(exhibits-13 exhibits-50 exhibits-200 triangles-100k triangles-1M triangles-4M)
for hall in "${halls[@]}"; do
    # A 4M-triangle frame takes seconds here: fewer of them say as much.
    n=$frames
    [ "$hall" = triangles-4M ] && n=$(( frames / 3 > 4 ? frames / 3 : 4 ))
    "${run[@]}" ./build/benchmark --hall "$out/$hall" --frames "$n" --settle 5 --size "$size" --json \
        >"$out/$hall.json" 2>"$out/$hall.log" || { echo "benchmark failed on $hall: see $out/$hall.log" >&2; exit 1; }
done
/usr/bin/python3 - "$out" "${halls[@]}" <<'PY'
import json, sys
out, halls = sys.argv[1], sys.argv[2:]
# Triangles drawn per hall: the built-in models' share is the same in all, so the table
# names what changes.
what = {"exhibits-13": "13 exhibits", "exhibits-50": "50 exhibits", "exhibits-200": "200 exhibits",
        "triangles-100k": "13, one of 100k triangles", "triangles-1M": "13, one of 1M triangles",
        "triangles-4M": "13, one of 4M triangles"}
rows = {h: json.load(open(f"{out}/{h}.json")) for h in halls}
# The benchmark's passes in its order, the whole frame last.
passes = list(rows[halls[0]]["passes"])
base = rows["exhibits-13"]["passes"]["whole frame"]["cpuMedianMs"]
print("| exhibition | " + " | ".join(passes) + " | ratio |")
print("|---" * (len(passes) + 2) + "|")
with open(f"{out}/scaling.dat", "w") as dat:
    for i, h in enumerate(halls):
        p = rows[h]["passes"]
        cpu = p["whole frame"]["cpuMedianMs"]
        print(f"| {what[h]} | " + " | ".join(f"{p[name]['cpuMedianMs']:.0f}" for name in passes) +
              f" | {cpu / base:.2f} |")
        dat.write(f"{i} \"{what[h]}\" " + " ".join(f"{p[name]['cpuMedianMs']:.1f}" for name in passes[:3]) +
                  f" {cpu:.1f}\n")
PY
gnuplot <<EOF2
set terminal pngcairo size 900,480 font ",10"
set output "docs/scaling.png"
set title "Frame cost against exhibition size ($size, llvmpipe, 2 cores; median CPU ms)"
set logscale y
set grid ytics
set ylabel "median CPU ms per frame (log scale)"
set xtics rotate by -20
set key top left
set offsets 0.3, 0.3, 0, 0
plot "$out/scaling.dat" using 1:6:xtic(2) with linespoints lw 2 title "whole frame", \
     '' using 1:3 with linespoints title "shadow maps", '' using 1:4 with linespoints title "environment maps", \
     '' using 1:5 with linespoints title "lit scene"
EOF2
echo "docs/scaling.png written"
