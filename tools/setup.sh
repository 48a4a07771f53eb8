#!/usr/bin/env bash
# Installs the Debian packages the viewer, its tools and its tests need (quiet when
# they are all present), then configures and builds into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake pkg-config libglfw3-dev libglm-dev libassimp-dev clang-14 libclang-rt-14-dev
          libfreeimage-dev libepoxy-dev googletest libgtest-dev libgl1-mesa-dri
          libx11-dev libxtst-dev xvfb xauth x11-utils xdotool glslang-tools
          libavcodec-dev libavformat-dev libswscale-dev libavutil-dev libstb-dev python3-pil
          nlohmann-json3-dev python3-jsonschema fonts-dejavu-core assimp-testmodels glmark2-data)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# examples/gallery shows models of others' making as they come: copied from Debian's model
# test files and benchmark data, never kept in the repository.
a=/usr/share/assimp/models
mkdir -p examples/gallery/models
cp -u "$a/Collada/duck.dae" "$a/Collada/duckCM.tga" "$a/OBJ/spider.obj" "$a/OBJ/spider.mtl" "$a/OBJ/SpiderTex.jpg" \
      "$a/OBJ/drkwood2.jpg" "$a/OBJ/engineflare1.jpg" "$a/OBJ/wal67ar_small.jpg" "$a/OBJ/wal69ar_small.jpg" \
      "$a"/glTF2/BoxTextured-glTF/* "$a/PLY/Wuson.ply" "$a/STL/sphereWithHole.stl" \
      /usr/share/glmark2/models/horse.3ds /usr/share/glmark2/models/bunny.obj examples/gallery/models/

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
