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
# importer); emcc compiles the same sources as the desktop, with the web entry point and
# the web loaders in place of main.cpp, Assimp and FreeImage.
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
mkdir -p "$out/obj" "$out/include" "$out/data/res/models"
# Only the header-only libraries the sources name: all of /usr/include would hide the
# web's own C library headers.
ln -sfn /usr/include/glm "$out/include/glm"
ln -sfn /usr/include/stb "$out/include/stb"
ln -sfn /usr/include/nlohmann "$out/include/nlohmann"
./build/packMeshes "$out/data/res/models/meshes.pack" res/models >/dev/null
rm -rf "$out/data/halls"
hallFiles=()
for hall in "${halls[@]}"; do
    name=$(basename "$hall")
    if ! [[ "$name" =~ ^[A-Za-z0-9_-][A-Za-z0-9._-]*$ ]]; then
        echo "--hall $hall: ?hall= takes only letters, digits, '.', '_' and '-' in a folder's name" >&2
        exit 2
    fi
    if [ -e "$out/data/halls/$name" ]; then
        echo "--hall $hall: a second exhibition named $name; the page tells them apart by folder name" >&2
        exit 2
    fi
    ./build/packMeshes --hall "$hall" "$out/data/halls/$name" >/dev/null
    hallFiles+=(--preload-file "$out/data/halls/$name@/halls/$name")
done

# Debian's emcc finds its JavaScript modules (acorn...) only there.
export NODE_PATH=/usr/share/nodejs
flags=(-O2 -std=c++17 -Wall -Wextra -DGLM_FORCE_CTOR_INIT -DGLFW_INCLUDE_NONE
       -I. -Iassets/web -I"$out/include")
# The exhibition reader reports a bad file by throwing and catching: its sources (all
# that include the JSON parser) catch, with WebAssembly's own exceptions (40 kB of
# WebAssembly where Emscripten's JavaScript ones cost 130 kB); the rest keep them off.
catching=(app/exhibitionLoading.cpp app/webMain.cpp scene/exhibition.cpp scene/exhibitionFiles.cpp
          scene/exhibitionTour.cpp scene/jsonFields.cpp)
catchFlag=-fwasm-exceptions
catchingPattern=" ${catching[*]} "
sources=(app/webMain.cpp $(ls base/*.cpp app/*.cpp navigation/*.cpp assets/*.cpp programs/*.cpp scene/*.cpp render/*.cpp |
         grep -v -e '^app/main.cpp$' -e '^app/webMain.cpp$' -e '^render/frameCapture.cpp$'))

# Each source compiled when it or any header is newer than its object (or the flags
# changed), two at a time.
newestHeader=$(ls -t $(find base app assets navigation programs render scene -name '*.h') | head -1)
stamp="${flags[*]} $catchFlag: ${catching[*]}"
[ "$(cat "$out/obj/flags" 2>/dev/null)" = "$stamp" ] || rm -f "$out"/obj/*.o
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
        xargs -P2 -I{} sh -c 'src="{}"; obj="'"$out"'/obj/$(echo "$src" | tr / _).o"
            case "'"$catchingPattern"'" in *" $src "*) more='"$catchFlag"' ;; *) more= ;; esac
            emcc '"${flags[*]}"' $more -c "$src" -o "$obj"'
fi
echo "$stamp" >"$out/obj/flags"
objects=()
for src in "${sources[@]}"; do objects+=("$out/obj/${src//\//_}.o"); done

emcc -O2 "$catchFlag" "${objects[@]}" -o "$out/pinakora.js" \
    -sUSE_GLFW=3 -sUSE_WEBGL2=1 -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sFULL_ES3=1 \
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB \
    --preload-file "$out/data/res/models/meshes.pack@/res/models/meshes.pack" \
    --preload-file res/textures@/res/textures \
    --preload-file res/fonts@/res/fonts --preload-file shaders@/shaders ${hallFiles[@]+"${hallFiles[@]}"}
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
