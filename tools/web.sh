#!/usr/bin/env bash
# Builds the browser version into build-web/ (index.html, pinakora.js, .wasm, .data) and
# serves it on 127.0.0.1, printing the address.
#
#   bash tools/web.sh [--no-serve] [--port N] [--hall DIR]...
#
# Each --hall DIR puts that exhibition in the page under its folder's name (?hall=NAME
# shows it): its exhibition.json and images as they are, its models as the desktop
# imports them (packMeshes --hall).
# The desktop build's packMeshes writes the meshes the browser reads (it has no model
# importer); CMake with Emscripten's toolchain (emcmake) compiles the same sources as the
# desktop, with the web entry point and the web loaders in place of main.cpp, Assimp and
# FreeImage.
set -euo pipefail
cd "$(dirname "$0")/.."

serve=1
port=8765
halls=()
while [ $# -gt 0 ]; do
    case "$1" in
        --no-serve) serve=0 ;;
        --port) port="$2"; shift ;;
        --hall) [ $# -ge 2 ] || { echo "--hall: want an exhibition folder" >&2; exit 2; }
                halls+=("${2%/}"); shift ;;
        *) echo "usage: bash tools/web.sh [--no-serve] [--port N] [--hall DIR]..." >&2; exit 2 ;;
    esac
    shift
done

packages=(emscripten chromium libstb-dev python3)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The desktop build (and with it the mesh packer).
bash tools/setup.sh >/dev/null

out=build-web
declare -A named=()
for hall in "${halls[@]}"; do
    name=$(basename "$hall")
    if ! [[ "$name" =~ ^[A-Za-z0-9_-][A-Za-z0-9._-]*$ ]]; then
        echo "--hall $hall: ?hall= takes only letters, digits, '.', '_' and '-' in a folder's name" >&2
        exit 2
    fi
    if [ -n "${named[$name]+x}" ]; then
        echo "--hall $hall: a second exhibition named $name; the page tells them apart by folder name" >&2
        exit 2
    fi
    named[$name]=1
done

# CMake with Emscripten's toolchain builds the page (see CMakeLists.txt) and packs its data,
# each part again only when what it is made of changed. Its progress lines and the packer's
# counts are left out.
hallList=$(IFS=';'; echo "${halls[*]}")
mkdir -p "$out"
emcmake cmake -S . -B "$out" -DPINAKORA_PACK_MESHES="$PWD/build/packMeshes" \
    -DPINAKORA_WEB_HALLS="$hallList" >"$out/build.log" 2>&1 || { cat "$out/build.log" >&2; exit 1; }
cmake --build "$out" -j2 2>&1 | tee "$out/build.log" |
    { grep -v -e '^\[ *[0-9]*%\] ' -e '^Consolidate compiler generated dependencies' \
               -e ': [0-9]* models, [0-9]* vertices$' || true; }
compiled=$(grep -c 'Building CXX object' "$out/build.log" || true)
[ "$compiled" -eq 0 ] || echo "Compiled $compiled sources for the web"

total=0
for f in index.html pinakora.js pinakora.wasm pinakora.data; do
    total=$((total + $(stat -c %s "$out/$f")))
done
echo "Download: $(awk -v b="$total" 'BEGIN { printf "%.1f MB", b / 1e6 }') ($total bytes: html, js, wasm, data)"

if [ "$serve" -eq 1 ]; then
    echo "Serving http://127.0.0.1:$port/ (Ctrl-C stops)"
    exec python3 -m http.server --bind 127.0.0.1 --directory "$out" "$port"
fi
