#!/usr/bin/env bash
# The browser build in a real (headless, software-rendered) browser: builds it, loads the
# fixed-clock frame at tour time 8 s once, and checks the console (WebGL 2 context, the
# three render targets, no GL error, F1 reaching the viewer), the screenshot against the desktop capture of the
# same frame (mean absolute difference per channel at most $tolerance of 255: the two
# software rasterizers filter differently), and the download size (under 12 MB). A second
# load with bad parameters checks that they are named and that the defaults take their
# place: the running tour at the window's size, with no frame claimed as drawn. The page is
# built with examples/hall (the built-in hall as an exhibition file): ?hall=hall at 960x540
# is compared with `capture --hall examples/hall` as above, and a copy of the page whose
# exhibition.json is damaged in its data must name the line and show the built-in hall.
# A view link made by V in the desktop viewer (the tour running, settings stepped) opens as
# #view= with t=0 (the view's own frame) and is compared with `capture --view`; V pressed
# there must give the same link back in the address. The page also holds examples/court
# (three lights, a mirror, glass, a glTF model of three meshes): ?hall=court is compared too.
# A page without size follows the window: resized, its canvas draws the new size, filled.
# Touch: a one-finger drag draws what the same left-button drag draws, a long swipe leaves
# the page where it is (with a page before it to go back to), and on a phone-sized screen
# (390x844, 3 device pixels a CSS pixel) nothing overflows, the picture shows and a pinch
# changes it. The exhibit guide: the court's exhibits are a list of buttons in the page's
# DOM, the canvas has a name, and Enter on an entry draws that exhibit's view and says its
# caption in the live region, while at ?t= nothing of the list shows over the canvas; Tab
# pressed from the canvas once more than there are exhibits lands on a list entry with an
# outline (the canvas is no keyboard trap), and a tap on an exhibit does what Enter does.
set -euo pipefail
cd "$(dirname "$0")/.."
tolerance=8
size=480x270
out=build-web/test
bash tools/web.sh --no-serve --hall examples/hall --hall examples/court
dpkg-query -W -f='${Status}' python3-websocket python3-pil 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive $([ "$(id -u)" -ne 0 ] && echo sudo) \
        apt-get install -y -qq --no-install-recommends python3-websocket python3-pil >/dev/null
rm -rf "$out" && mkdir -p "$out"

xvfb-run -a -s "-screen 0 1920x1080x24" ./build/capture --at 8 --step 1 --size "$size" --out "$out" >/dev/null
native="$out/frame-0008.000s.png"
xvfb-run -a -s "-screen 0 1920x1080x24" ./build/capture --hall examples/hall --at 8 --step 1 --size 960x540 \
    --out "$out/hall" >/dev/null
hallNative="$out/hall/frame-0008.000s.png"
xvfb-run -a -s "-screen 0 1920x1080x24" ./build/capture --hall examples/court --at 8 --step 1 --size "$size" \
    --out "$out/court" >/dev/null
courtNative="$out/court/frame-0008.000s.png"
view="v1_eye:-1199.009,840,434.12793_at:-620,640,620_t:24.145_tour:1,22.953_dof:11,1000,20.9"
xvfb-run -a -s "-screen 0 1920x1080x24" ./build/capture --view "$view" --size "$size" --out "$out/view" >/dev/null
viewNative="$out/view/frame-0024.145s.png"

# The same page with one ',' of the exhibition's file turned into ';' (same length, so the
# data's offsets hold).
mkdir -p "$out/badHall"
cp build-web/index.html build-web/pinakora.js build-web/pinakora.wasm "$out/badHall/"
/usr/bin/python3 - build-web/pinakora.data examples/hall/exhibition.json "$out/badHall/pinakora.data" <<'PY'
import sys
data, text = bytearray(open(sys.argv[1], "rb").read()), open(sys.argv[2], "rb").read()
at = data.find(text)
assert at >= 0, "the exhibition's file is not in the page's data"
comma = data.index(b",", at)
data[comma:comma + 1] = b";"
open(sys.argv[3], "wb").write(data)
PY

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory build-web "$port" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
sleep 1
status=0
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/?t=8&size=$size" "$size" "$out/browser.png" \
    "$out/console.txt" --press F1 || status=1
[ $status -eq 0 ] || echo "FAIL: the page never said it drew the frame"
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/?t=NaN&size=0x0#view=v1_eye:1,2" 320x180 "$out/badParameters.png" \
    "$out/badParameters.txt" --until "FPS:" --timeout 120 ||
    { status=1; echo "FAIL: the page with bad parameters never ran the tour"; }
# The running tour in a window that is then resized to 400x240 at a pixel ratio of 2:
# the canvas must draw 800x480 pixels, filled to its edges.
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/" 320x180 "$out/resized.png" "$out/resized.txt" \
    --until "FPS:" --resize 400x240@2 --timeout 300 ||
    { status=1; echo "FAIL: the page never drew a frame at its new size"; }
/usr/bin/python3 - "$out/resized.txt" "$out/resized.png" <<'PY' || status=1
import sys
from PIL import Image, ImageStat
console, shot = open(sys.argv[1]).read(), Image.open(sys.argv[2]).convert("L")
failed = "Canvas 800x480" not in console
if failed:
    print("FAIL: resized to 400x240 at ratio 2, the console lacks \"Canvas 800x480\"")
for line in console.splitlines():
    if "GL: " in line or line.startswith("exception:"):
        print(f"FAIL: after the resize the console says {line}")
        failed = True
whole = ImageStat.Stat(shot).mean[0]
edges = [ImageStat.Stat(shot.crop(box)).mean[0] for box in [(792, 0, 800, 480), (0, 472, 800, 480)]]
print(f"Resized page {shot.size}: mean level {whole:.1f}, right and bottom edges {edges[0]:.1f}, {edges[1]:.1f}")
if shot.size != (800, 480) or min(edges) < 0.3 * whole:
    print("FAIL: the resized canvas does not fill the window")
    failed = True
sys.exit(1 if failed else 0)
PY
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/?hall=hall&t=8&size=960x540" 960x540 "$out/hallBrowser.png" \
    "$out/hallConsole.txt" || { status=1; echo "FAIL: the page never said it drew the exhibition's frame"; }
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/?hall=court&t=8&size=$size" "$size" "$out/courtBrowser.png" \
    "$out/courtConsole.txt" || { status=1; echo "FAIL: the page never said it drew the court's frame"; }
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/test/badHall/?hall=hall&t=1&size=320x180" 320x180 \
    "$out/badHall.png" "$out/badHall.txt" --timeout 300 ||
    { status=1; echo "FAIL: the page with a damaged exhibition never drew the built-in hall"; }
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/?t=0&size=$size#view=$view" "$size" "$out/viewBrowser.png" \
    "$out/viewConsole.txt" --press V || { status=1; echo "FAIL: the page never said it drew the view's frame"; }

touchShot() { /usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/$1" "${@:2}" --timeout 300; }
echo '<!doctype html><title>Before Pinakora</title>' >build-web/test/first.html
touchShot "?t=2&size=$size" "$size" "$out/touchDrag.png" "$out/touchDrag.txt" \
    --first "http://127.0.0.1:$port/test/first.html" --drag touch 120,135,360,135 || true
touchShot "?t=2&size=$size" "$size" "$out/mouseDrag.png" "$out/mouseDrag.txt" --drag mouse 120,135,360,135 || true
touchShot "?t=2" 390x844 "$out/phone.png" "$out/phone.txt" --phone --pinch 195,420,80,240 || true
/usr/bin/python3 - "$out" <<'PY' || status=1
import json
import sys
from PIL import Image, ImageChops, ImageStat
out = sys.argv[1]
difference = lambda a, b: sum(ImageStat.Stat(ImageChops.difference(
    Image.open(f"{out}/{a}.png").convert("RGB"), Image.open(f"{out}/{b}.png").convert("RGB"))).mean) / 3
page = lambda name: json.loads(([l for l in open(f"{out}/{name}.txt") if l.startswith("page: ")] or ["page: {}"])[-1][6:])
failed = []
swipe = page("touchDrag")
if not swipe.get("url", "").endswith("/?t=2&size=480x270") or not swipe.get("canvas"):
    failed.append(f"a long one-finger swipe left the page: {swipe}")
moved = {name: "drawn again after a move" in open(f"{out}/{name}.txt").read() for name in ("touchDrag", "mouseDrag", "phone")}
if not all(moved.values()):
    failed.append(f"a gesture did not redraw the frame: {moved}")
else:
    drag, alike, pinch = difference("touchDrag-before", "touchDrag"), difference("touchDrag", "mouseDrag"), \
        difference("phone-before", "phone")
    print(f"Touch: one-finger drag changes the frame by {drag:.2f}, differs from the mouse drag's by {alike:.2f}; "
          f"pinch changes it by {pinch:.2f} (of 255)")
    if drag < 8 or alike > 1 or pinch < 8:
        failed.append("touch did not move the camera as the mouse does")
phone = page("phone")
box = phone.get("canvas") or [0, 0, 1e9, 1e9]
if phone.get("scrollWidth", 1e9) > phone.get("innerWidth", 0) or phone.get("scrollHeight", 1e9) > phone.get(
        "innerHeight", 0) or box[0] < 0 or box[1] < 0 or box[0] + box[2] > 390 or box[1] + box[3] > 844:
    failed.append(f"at 390x844 the page overflows: {phone}")
if sum(ImageStat.Stat(Image.open(f"{out}/phone-before.png").convert("L")).mean) < 20:
    failed.append("at 390x844 the screenshot shows no picture")
for line in failed:
    print("FAIL: " + line)
sys.exit(1 if failed else 0)
PY

/usr/bin/python3 - "$out/console.txt" "$out/browser.png" "$native" "$tolerance" "$out/badParameters.txt" \
    "$out/hallConsole.txt" "$out/hallBrowser.png" "$hallNative" "$out/badHall.txt" \
    "$out/viewConsole.txt" "$out/viewBrowser.png" "$viewNative" "$view" \
    "$out/courtBrowser.png" "$courtNative" <<'PY' || status=1
import re
import sys
from PIL import Image, ImageChops, ImageStat
consoleFile, browserShot, nativeShot, tolerance = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4])
console = open(consoleFile).read()
failed = False
badConsole = open(sys.argv[5]).read()
for line in ["Ignoring the page parameter t: NaN is not a time", "Ignoring the page parameter size: 0x0 is not a size",
             "WebGL 2 context made: .*, 320x180$",
             "Ignoring the page parameter view: eye: 1,2 is not three numbers x,y,z"]:
    if not re.search(line, badConsole, re.M):
        print(f"FAIL: with ?t=NaN&size=0x0 the console lacks \"{line}\"")
        failed = True
if "Frame at" in badConsole:
    print("FAIL: with ?t=NaN the page claims a fixed-clock frame")
    failed = True
for line in ["WebGL 2 context made", "Framebuffer created", "Environment framebuffer created",
             "Shadow framebuffer created", "Frame at 8 s drawn.", "focaldepth: 11 "]:
    if line not in console:
        print(f"FAIL: the console lacks \"{line}\"")
        failed = True
for line in console.splitlines():
    if "GL: " in line or line.startswith("exception:") or "did not compile" in line or "did not link" in line:
        print(f"FAIL: the console says {line}")
        failed = True
hallConsole, hallBrowser, hallNative, badHall = sys.argv[6:10]
badConsole = open(badHall).read()
if not re.search(r"exhibition\.json:\d+:\d+: .*\(the built-in hall is shown\)", badConsole):
    print("FAIL: with a damaged exhibition.json the console lacks its line")
    failed = True
if "Frame at 1 s drawn." not in badConsole or "exception:" in badConsole or "Aborted" in badConsole:
    print("FAIL: with a damaged exhibition.json the page did not go on with the built-in hall")
    failed = True
hallLines = open(hallConsole).read()
for line in hallLines.splitlines():
    if "GL: " in line or line.startswith("exception:") or line.startswith("error:"):
        print(f"FAIL: with ?hall=hall the console says {line}")
        failed = True


def compare(what, browserShot, nativeShot):
    browser, native = Image.open(browserShot).convert("RGB"), Image.open(nativeShot).convert("RGB")
    if browser.size != native.size:
        print(f"FAIL: the screenshot {what} is {browser.size}, the capture {native.size}")
        return False
    difference = sum(ImageStat.Stat(ImageChops.difference(browser, native)).mean) / 3
    print(f"Browser frame {what} against the desktop capture: mean absolute difference {difference:.2f} of 255 "
          f"(tolerance {tolerance:g})")
    if difference > tolerance:
        print(f"FAIL: the browser's frame {what} differs from the desktop's")
        return False
    return True


failed = not compare("of the built-in hall", browserShot, nativeShot) or failed
failed = not compare("of ?hall=hall at 960x540", hallBrowser, hallNative) or failed
viewConsole, viewBrowser, viewNative, view = sys.argv[10:14]
viewLines = open(viewConsole).read()
if "Frame at 24.145 s drawn." not in viewLines:
    print("FAIL: with #view= the console lacks \"Frame at 24.145 s drawn.\"")
    failed = True
if not re.search(r"^log: View: http://\S+#view=" + re.escape(view) + "$", viewLines, re.M):
    print("FAIL: V in the page opened from #view= did not give the same link back")
    failed = True
failed = not compare("of #view=", viewBrowser, viewNative) or failed
# The court: three lights, a mirror, a glass ball and a glTF model of three meshes.
failed = not compare("of ?hall=court", sys.argv[14], sys.argv[15]) or failed
sys.exit(1 if failed else 0)
PY

# The exhibit guide: Tab out of the canvas, then Enter on the third entry of the court's
# list (the glass ball); in another load, a tap on the teapot, which stands in the middle
# of the court's first frame.
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/?hall=court&t=0&size=$size" "$size" "$out/guide.png" \
    "$out/guide.txt" --tabs --enter '#exhibitList li:nth-child(3) button' ||
    { status=1; echo "FAIL: the page with the court never drew its frame"; }
/usr/bin/python3 tools/webShot.py "http://127.0.0.1:$port/?hall=court&t=0&size=$size" "$size" "$out/tap.png" \
    "$out/tap.txt" --tap 240,30 || { status=1; echo "FAIL: the page with the court never drew its frame"; }
/usr/bin/python3 - "$out/guide.txt" "$out/guide-before.png" "$out/guide.png" "$out/tap.txt" "$out/tap-before.png" \
    "$out/tap.png" <<'PY' || status=1
import json, sys
from PIL import Image, ImageChops, ImageStat
console = open(sys.argv[1]).read()
pages = [line[6:] for line in console.splitlines() if line.startswith("page: ")]
page = json.loads(pages[-1]) if pages else {}
failed = False
tabs = json.loads(([line[6:] for line in console.splitlines() if line.startswith("tabs: ")] or ["{}"])[-1])
print(f"Tab {tabs.get('exhibits', 0) + 1} times from the canvas: focus on {tabs.get('tag')} "
      f"{tabs.get('text')!r}, outline {tabs.get('outline')} {tabs.get('outlineWidth')} px")
if not tabs.get("exhibits") or not tabs.get("inList"):
    print("FAIL: Tab past the last exhibit did not leave the canvas for the exhibit list")
    failed = True
if tabs.get("outline") in (None, "none") or not tabs.get("outlineWidth", 0) > 0:
    print("FAIL: the list entry that Tab focused shows no outline")
    failed = True
titles = ["Block, ball and ring", "Mirror teapot", "Glass ball", "Standing figure"]
if page.get("exhibits") != titles:
    print(f"FAIL: the page's exhibit list is {page.get('exhibits')}, not {titles}")
    failed = True
if not page.get("canvasName"):
    print("FAIL: the canvas has no accessible name")
    failed = True
if "Glass ball" not in (page.get("panel") or ""):
    print(f"FAIL: after Enter on the glass ball the live region says {page.get('panel')!r}")
    failed = True
if "drawn again" not in console:
    print("FAIL: Enter on a list entry drew no new frame")
    failed = True
before, after = Image.open(sys.argv[2]).convert("RGB"), Image.open(sys.argv[3]).convert("RGB")
change = sum(ImageStat.Stat(ImageChops.difference(before, after)).mean) / 3
print(f"Enter on the glass ball's entry: the frame changed by {change:.1f} of 255 on average")
if change < 5:
    print("FAIL: Enter on a list entry left the frame as it was")
    failed = True
tapConsole = open(sys.argv[4]).read()
tapPage = json.loads(([line[6:] for line in tapConsole.splitlines() if line.startswith("page: ")] or ["{}"])[-1])
if "Mirror teapot" not in (tapPage.get("panel") or ""):
    print(f"FAIL: after a tap on the teapot the live region says {tapPage.get('panel')!r}")
    failed = True
before, after = Image.open(sys.argv[5]).convert("RGB"), Image.open(sys.argv[6]).convert("RGB")
change = sum(ImageStat.Stat(ImageChops.difference(before, after)).mean) / 3
print(f"A tap on the teapot: the frame changed by {change:.1f} of 255 on average")
if "drawn again" not in tapConsole or change < 5:
    print("FAIL: a tap on an exhibit left the frame as it was")
    failed = True
sys.exit(1 if failed else 0)
PY

total=$(cat build-web/index.html build-web/pinakora.js build-web/pinakora.wasm build-web/pinakora.data | wc -c)
echo "Download: $total bytes (html, js, wasm, data); limit 12000000"
[ "$total" -lt 12000000 ] || { echo "FAIL: the download is too large"; status=1; }
[ $status -eq 0 ] && echo "Browser test passed" || echo "Browser test FAILED (console: $out/console.txt)"
exit $status
