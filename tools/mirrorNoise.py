#!/usr/bin/python3
"""How speckled the mirror teapot looks: the standard deviation, in 8-bit levels, of the
grey picture minus itself blurred by a Gaussian of sigma 1 pixel, over the teapot's pixels.
Compared with a supersampled render of the same frame it tells aliasing (above it) from
blur (below it).

    mirrorNoise.py masks --at 8,76 --out DIR [--size 960x540]
        Renders those tour times (--step 1) with the teapot painted one flat colour and
        writes DIR/teapot-<t>s.png: white on the teapot's pixels, two pixels in from its
        outline, black elsewhere. Runs ./build/capture from the project root (under
        xvfb-run when there is no display).
    mirrorNoise.py measure MASK REFERENCE FRAME...
        Prints the measure of the reference and of each frame, and each frame's ratio to
        the reference. A picture larger than the mask (a 3840x2160 capture for a 960x540
        mask) is box-filtered down to the mask's size first.

Needs python3-pil (tools/setup.sh installs it)."""
import math
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

# The teapot's program in the scratch copy of the shaders: the teapot magenta, the lens
# cyan, neither glowing, so nothing else in the frame comes near the key colour.
flatReflectingShader = """#version 330 core
#include "litShading.glsl"
uniform float refraction;
void main() { out_color = refraction > 0.0 ? vec4(0.0, 1.0, 1.0, 0.0) : vec4(1.0, 0.0, 1.0, 0.0); }
"""
erosion = 2
sigma = 1.0


def usage():
    sys.stderr.write(__doc__)
    return 2


def makeMasks(args):
    times, out, size = None, None, "960x540"
    while args:
        if len(args) < 2:
            return usage()
        key, value, args = args[0], args[1], args[2:]
        if key == "--at":
            times = value
        elif key == "--out":
            out = value
        elif key == "--size":
            size = value
        else:
            return usage()
    if not times or not out:
        return usage()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    capture = os.path.join(root, "build", "capture")
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        os.symlink(os.path.join(root, "res"), os.path.join(scratch, "res"))
        shutil.copytree(os.path.join(root, "shaders"), os.path.join(scratch, "shaders"))
        with open(os.path.join(scratch, "shaders", "reflectingTextureShader.frag"), "w") as f:
            f.write(flatReflectingShader)
        frames = os.path.join(scratch, "frames")
        command = [capture, "--at", times, "--step", "1", "--size", size, "--out", frames]
        if not os.environ.get("DISPLAY"):
            command = ["xvfb-run", "-a", "-s", "-screen 0 1920x1080x24"] + command
        subprocess.run(command, cwd=scratch, check=True, stdout=subprocess.DEVNULL)
        for name in sorted(os.listdir(frames)):
            keyed = Image.open(os.path.join(frames, name)).convert("RGB")
            mask = teapotMask(keyed)
            seconds = float(name[len("frame-"):-len("s.png")])
            path = os.path.join(out, "teapot-%gs.png" % seconds)
            mask.save(path)
            print(path, sum(1 for v in mask.getdata() if v), "pixels")
    return 0


def teapotMask(keyed):
    width, height = keyed.size
    pixels = keyed.load()
    inside = [[False] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            r, g, b = pixels[x, y]
            inside[y][x] = r > 200 and b > 200 and g < 60
    mask = Image.new("L", keyed.size, 0)
    out = mask.load()
    for y in range(erosion, height - erosion):
        for x in range(erosion, width - erosion):
            if all(inside[y + dy][x + dx] for dy in range(-erosion, erosion + 1)
                   for dx in range(-erosion, erosion + 1)):
                out[x, y] = 255
    return mask


def grey(picture, size):
    if picture.size != size:
        picture = picture.resize(size, Image.BOX)
    width, height = size
    pixels = picture.convert("RGB").load()
    return [[0.299 * pixels[x, y][0] + 0.587 * pixels[x, y][1] + 0.114 * pixels[x, y][2] for x in range(width)]
            for y in range(height)]


def noise(mask, picture):
    """Standard deviation of grey minus its Gaussian blur over the mask's pixels."""
    width, height = mask.size
    inside = mask.load()
    points = [(x, y) for y in range(height) for x in range(width) if inside[x, y]]
    if not points:
        raise SystemExit("mirrorNoise: the mask is empty")
    g = grey(picture, mask.size)
    radius = 3
    kernel = [math.exp(-k * k / (2 * sigma * sigma)) for k in range(-radius, radius + 1)]
    total = sum(kernel)
    kernel = [k / total for k in kernel]
    x0 = max(0, min(p[0] for p in points) - radius)
    x1 = min(width - 1, max(p[0] for p in points) + radius)
    y0 = max(0, min(p[1] for p in points) - radius)
    y1 = min(height - 1, max(p[1] for p in points) + radius)
    clampX = lambda x: min(max(x, 0), width - 1)
    clampY = lambda y: min(max(y, 0), height - 1)
    across = {}
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            across[x, y] = sum(kernel[k + radius] * g[y][clampX(x + k)] for k in range(-radius, radius + 1))
    detail = []
    for x, y in points:
        blurred = sum(kernel[k + radius] * across[x, min(max(clampY(y + k), y0), y1)]
                      for k in range(-radius, radius + 1))
        detail.append(g[y][x] - blurred)
    mean = sum(detail) / len(detail)
    return math.sqrt(sum((d - mean) ** 2 for d in detail) / len(detail))


def measure(args):
    if len(args) < 3:
        return usage()
    mask = Image.open(args[0]).convert("L")
    reference = noise(mask, Image.open(args[1]))
    print("%-50s %6.2f" % (args[1], reference))
    for path in args[2:]:
        value = noise(mask, Image.open(path))
        print("%-50s %6.2f  %.2fx" % (path, value, value / reference))
    return 0


def main(argv):
    if len(argv) < 2:
        return usage()
    if argv[1] == "masks":
        return makeMasks(argv[2:])
    if argv[1] == "measure":
        return measure(argv[2:])
    return usage()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
