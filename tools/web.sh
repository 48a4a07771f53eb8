#!/usr/bin/env bash
# Builds the browser version into build-web/ (index.html, pinakora.js, .wasm, .data) and
# serves it on 127.0.0.1, printing the address.
#
#   bash tools/web.sh [--no-serve] [--port N]
#
# The desktop build's packMeshes writes the meshes the browser reads (it has no model
# importer); emcc compiles the same sources as the desktop, with the web entry point and
# the web loaders in place of main.cpp, Assimp and FreeImage.
set -euo pipefail
cd "$(dirname "$0")/.."

serve=1
port=8765
while [ $# -gt 0 ]; do
    case "$1" in
        --no-serve) serve=0 ;;
        --port) port="$2"; shift ;;
        *) echo "usage: bash tools/web.sh [--no-serve] [--port N]" >&2; exit 2 ;;
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
mkdir -p "$out/obj" "$out/include" "$out/data/res/models"
# Only the header-only libraries the sources name: all of /usr/include would hide the
# web's own C library headers.
ln -sfn /usr/include/glm "$out/include/glm"
ln -sfn /usr/include/stb "$out/include/stb"
ln -sfn /usr/include/nlohmann "$out/include/nlohmann"
./build/packMeshes "$out/data/res/models/meshes.pack" res/models >/dev/null

# Debian's emcc finds its JavaScript modules (acorn...) only there.
export NODE_PATH=/usr/share/nodejs
flags=(-O2 -std=c++17 -Wall -Wextra -DGLM_FORCE_CTOR_INIT -DGLFW_INCLUDE_NONE
       -I. -Iassets/web -I"$out/include")
sources=(app/webMain.cpp $(ls base/*.cpp app/*.cpp navigation/*.cpp assets/*.cpp programs/*.cpp scene/*.cpp render/*.cpp |
         grep -v -e '^app/main.cpp$' -e '^app/webMain.cpp$' -e '^render/frameCapture.cpp$'))

# Each source compiled when it or any header is newer than its object, two at a time.
newestHeader=$(ls -t $(find base app assets navigation programs render scene -name '*.h') | head -1)
stale=()
for src in "${sources[@]}"; do
    obj="$out/obj/${src//\//_}.o"
    if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ "$newestHeader" -nt "$obj" ]; then
        stale+=("$src")
    fi
done
if [ ${#stale[@]} -gt 0 ]; then
    echo "Compiling ${#stale[@]} sources for the web"
    printf '%s\n' "${stale[@]}" |
        xargs -P2 -I{} sh -c 'src="{}"; obj="'"$out"'/obj/$(echo "$src" | tr / _).o"; emcc '"${flags[*]}"' -c "$src" -o "$obj"'
fi
objects=()
for src in "${sources[@]}"; do objects+=("$out/obj/${src//\//_}.o"); done

emcc -O2 "${objects[@]}" -o "$out/pinakora.js" \
    -sUSE_GLFW=3 -sUSE_WEBGL2=1 -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sFULL_ES3=1 \
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB \
    --preload-file "$out/data/res/models/meshes.pack@/res/models/meshes.pack" \
    --preload-file res/textures@/res/textures \
    --preload-file shaders@/shaders
cp app/webPage.html "$out/index.html"

total=0
for f in index.html pinakora.js pinakora.wasm pinakora.data; do
    total=$((total + $(stat -c %s "$out/$f")))
done
echo "Download: $(awk -v b="$total" 'BEGIN { printf "%.1f MB", b / 1e6 }') ($total bytes: html, js, wasm, data)"

if [ "$serve" -eq 1 ]; then
    echo "Serving http://127.0.0.1:$port/ (Ctrl-C stops)"
    exec python3 -m http.server --bind 127.0.0.1 --directory "$out" "$port"
fi
