#!/usr/bin/python3
"""Loads a page in headless Chromium (software WebGL) and saves a screenshot once the
page's console says it is done, with the console's lines beside it.

    webShot.py URL WIDTHxHEIGHT OUT.png CONSOLE.txt [--until TEXT] [--timeout SECONDS]
               [--press KEY]   (F1 to F12 or a letter: pressed once after the screenshot)
               [--resize WxH[@RATIO]]  (once the page is done, the window takes that
                                        size and device pixel ratio; the screenshot
                                        waits for the page's "Canvas" line and the
                                        next "FPS:" line after it)
               [--phone]       (a touch screen at 3 device pixels a CSS pixel, mobile layout)
               [--first URL]   (loaded before the page, so it has a page to go back to)
               [--drag touch|mouse X0,Y0,X1,Y1] [--pinch CX,CY,D0,D1] [--tap X,Y] [--enter CSS]
               [--tabs]
                               (once the page is done, in order: a one-finger or left-button
                               drag, two fingers on a level moved from D0 to D1 apart, a
                               finger's tap, Enter on the element CSS selects (focused
                               first), Tab pressed from the focused canvas once more than
                               the page lists exhibits (where focus went and its outline
                               are noted as a "tabs: {...}" line); the screenshot waits
                               for the frames they draw, and one from before them is
                               saved beside it as OUT-before.png)

A browser's own --screenshot waits on a virtual clock that runs on while the GPU process
draws, so it catches an earlier frame; this one waits for the page to say so over the
DevTools protocol. Exit 1 when the page never says it is done."""
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket


def main(argv):
    args = argv[1:]
    until, timeout = "Frame at", 600.0
    if "--until" in args:
        i = args.index("--until")
        until = args[i + 1]
        del args[i:i + 2]
    if "--timeout" in args:
        i = args.index("--timeout")
        timeout = float(args[i + 1])
        del args[i:i + 2]
    press = None
    if "--press" in args:
        i = args.index("--press")
        press = args[i + 1]
        del args[i:i + 2]
    resize = None
    if "--resize" in args:
        i = args.index("--resize")
        size, _, ratio = args[i + 1].partition("@")
        resize = [int(v) for v in size.split("x")] + [float(ratio or 1)]
        del args[i:i + 2]
    phone = "--phone" in args
    if phone:
        args.remove("--phone")
    first = None
    if "--first" in args:
        i = args.index("--first")
        first = args[i + 1]
        del args[i:i + 2]
    gestures = []
    kinds = ("--drag", "--pinch", "--tap", "--enter", "--tabs")
    while any(a in args for a in kinds):
        i = min(args.index(a) for a in kinds if a in args)
        if args[i] == "--tabs":
            gestures.append(("tabs", None))
            del args[i]
        elif args[i] == "--drag":
            gestures.append((args[i + 1], [float(v) for v in args[i + 2].split(",")]))
            del args[i:i + 3]
        elif args[i] == "--enter":
            gestures.append(("enter", args[i + 1]))
            del args[i:i + 2]
        else:
            gestures.append((args[i][2:], [float(v) for v in args[i + 1].split(",")]))
            del args[i:i + 2]
    if len(args) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    url, size, out, consoleFile = args
    width, height = (int(v) for v in size.split("x"))

    profile = tempfile.mkdtemp(prefix="pinakora-chromium-")
    browser = subprocess.Popen(
        ["chromium", "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
         "--remote-debugging-port=0", "--user-data-dir=" + profile, f"--window-size={width},{height}",
         "--hide-scrollbars", "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    lines = []
    done = False
    try:
        portFile = os.path.join(profile, "DevToolsActivePort")
        for _ in range(300):
            if os.path.exists(portFile) and open(portFile).read().count("\n") >= 1:
                break
            time.sleep(0.1)
        port = open(portFile).read().split("\n")[0]
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        page = next(t for t in targets if t["type"] == "page")
        ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=timeout)
        ids = iter(range(1, 1 << 30))

        def send(method, **params):
            n = next(ids)
            ws.send(json.dumps({"id": n, "method": method, "params": params}))
            return n

        def wait(n):
            while True:
                message = json.loads(ws.recv())
                note(message)
                if message.get("id") == n:
                    return message.get("result", {})

        def waitFor(test, seconds):
            end = time.time() + seconds
            while time.time() < end:
                ws.settimeout(max(0.1, end - time.time()))
                try:
                    message = json.loads(ws.recv())
                except websocket.WebSocketTimeoutException:
                    return
                note(message)
                if test(message):
                    break
            ws.settimeout(timeout)

        def evaluate(expression):
            return wait(send("Runtime.evaluate", expression=expression, returnByValue=True)).get("result", {}).get(
                "value")

        # The browser acknowledges each move once the page has drawn its frame again, seconds
        # in a software renderer: four moves make a drag or a pinch as well as twelve.
        def gesture(kind, values, steps=4):
            if kind == "tabs":
                evaluate("document.getElementById('canvas').focus()")
                for _ in range(evaluate("document.querySelectorAll('#exhibitList button').length") + 1):
                    for kind in ("rawKeyDown", "keyUp"):
                        wait(send("Input.dispatchKeyEvent", type=kind, key="Tab", code="Tab",
                                  windowsVirtualKeyCode=9, nativeVirtualKeyCode=9))
                lines.append("tabs: " + evaluate("""JSON.stringify((function (e) {
                    var style = getComputedStyle(e);
                    return {exhibits: document.querySelectorAll('#exhibitList button').length,
                            tag: e.tagName, inList: !!e.closest('#exhibitList'), text: e.textContent,
                            outline: style.outlineStyle, outlineWidth: parseFloat(style.outlineWidth)}; })(
                    document.activeElement))"""))
                return
            if kind == "enter":
                evaluate(f"document.querySelector({json.dumps(values)}).focus()")
                for kind in ("rawKeyDown", "char", "keyUp"):
                    wait(send("Input.dispatchKeyEvent", type=kind, key="Enter", code="Enter", text="\r",
                              windowsVirtualKeyCode=13, nativeVirtualKeyCode=13))
                return
            if kind == "mouse":
                x0, y0, x1, y1 = values
                wait(send("Input.dispatchMouseEvent", type="mouseMoved", x=x0, y=y0))
                wait(send("Input.dispatchMouseEvent", type="mousePressed", x=x0, y=y0, button="left", clickCount=1))
                for k in range(1, steps + 1):
                    wait(send("Input.dispatchMouseEvent", type="mouseMoved", x=x0 + (x1 - x0) * k / steps,
                              y=y0 + (y1 - y0) * k / steps, button="left", buttons=1))
                wait(send("Input.dispatchMouseEvent", type="mouseReleased", x=x1, y=y1, button="left", clickCount=1))
                return
            if kind == "tap":
                path = [[tuple(values)]]
            elif kind == "touch":
                x0, y0, x1, y1 = values
                path = [[(x0 + (x1 - x0) * k / steps, y0 + (y1 - y0) * k / steps)] for k in range(steps + 1)]
            elif kind == "pinch":
                cx, cy, d0, d1 = values
                path = []
                for k in range(steps + 1):
                    half = (d0 + (d1 - d0) * k / steps) / 2
                    path.append([(cx - half, cy), (cx + half, cy)])
            else:
                raise SystemExit(f"webShot.py: no gesture {kind}")
            points = lambda at: [{"x": x, "y": y, "id": n} for n, (x, y) in enumerate(at)]
            wait(send("Input.dispatchTouchEvent", type="touchStart", touchPoints=points(path[0])))
            for at in path[1:]:
                time.sleep(0.02)
                wait(send("Input.dispatchTouchEvent", type="touchMove", touchPoints=points(at)))
            wait(send("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[]))

        def note(message):
            nonlocal done
            if message.get("method") == "Runtime.consoleAPICalled":
                p = message["params"]
                text = " ".join(str(a.get("value", a.get("description", ""))) for a in p["args"])
                lines.append(f"{p['type']}: {text}")
                done = done or text.startswith(until)
            elif message.get("method") == "Runtime.exceptionThrown":
                lines.append("exception: " + message["params"]["exceptionDetails"].get("text", ""))

        wait(send("Runtime.enable"))
        wait(send("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=3 if phone else 1, mobile=phone))
        if phone or gestures:
            wait(send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5))
        wait(send("Page.enable"))
        if first:
            wait(send("Page.navigate", url=first))
            waitFor(lambda m: m.get("method") == "Page.loadEventFired", 30.0)
        wait(send("Page.navigate", url=url))
        deadline = time.time() + timeout
        while not done and time.time() < deadline:
            ws.settimeout(max(1.0, deadline - time.time()))
            try:
                note(json.loads(ws.recv()))
            except websocket.WebSocketTimeoutException:
                break
        if resize and done:
            done = resizeAndWait(send, wait, note, ws, lines, resize, deadline)
        if done and gestures:
            before = wait(send("Page.captureScreenshot", format="png"))
            with open(os.path.splitext(out)[0] + "-before.png", "wb") as f:
                f.write(base64.b64decode(before["data"]))
            isFrame = lambda line: line.split(": ", 1)[-1].startswith(until)
            frames = lambda: sum(1 for line in lines if isFrame(line))
            drawnBefore = frames()
            for kind, values in gestures:
                gesture(kind, values)
            # The moves redraw the picture, often while the browser still holds their events:
            # the shot waits for three quiet seconds once a frame has been drawn since the
            # first move, or for two frames after the last (a page on the running clock).
            moved = frames()
            deadline = time.time() + 60.0
            while time.time() < deadline and frames() < moved + 2:
                ws.settimeout(3.0)
                try:
                    note(json.loads(ws.recv()))
                except websocket.WebSocketTimeoutException:
                    if frames() > drawnBefore:
                        break
            ws.settimeout(timeout)
        shot = wait(send("Page.captureScreenshot", format="jpg" if out.endswith(".jpg") else "png", quality=85))
        with open(out, "wb") as f:
            f.write(base64.b64decode(shot["data"]))
        if press and done:
            # Windows virtual key codes: F1 is 112, a letter its capital's code.
            letter = len(press) == 1
            code = ord(press.upper()) if letter else 111 + int(press[1:])
            key, name = (press.lower(), "Key" + press.upper()) if letter else (press, press)
            for kind in ("rawKeyDown", "keyUp"):
                wait(send("Input.dispatchKeyEvent", type=kind, key=key, code=name,
                          windowsVirtualKeyCode=code, nativeVirtualKeyCode=code))
            # What the key prints arrives after the events are acknowledged.
            ws.settimeout(5.0)
            try:
                while True:
                    note(json.loads(ws.recv()))
            except websocket.WebSocketTimeoutException:
                pass
        state = evaluate("""JSON.stringify({
            url: location.href, history: history.length,
            scrollWidth: document.documentElement.scrollWidth, innerWidth: innerWidth,
            scrollHeight: document.documentElement.scrollHeight, innerHeight: innerHeight,
            canvas: (function (c) { var r = c && c.getBoundingClientRect();
                                     return r ? [r.left, r.top, r.width, r.height] : null; })(
                document.getElementById('canvas')),
            canvasName: document.getElementById('canvas').getAttribute('aria-label'),
            exhibits: Array.from(document.querySelectorAll('#exhibitList button')).map(function (b) {
                return b.textContent; }),
            panel: (document.getElementById('panel') || {}).textContent,
            focused: document.activeElement && document.activeElement.id})""")
        lines.append("page: " + (state or "{}"))
        ws.close()
    finally:
        browser.terminate()
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            browser.kill()
        shutil.rmtree(profile, ignore_errors=True)
        with open(consoleFile, "w") as f:
            f.write("\n".join(lines) + "\n")
    return 0 if done else 1


def resizeAndWait(send, wait, note, ws, lines, resize, deadline):
    """Gives the window a new size and pixel ratio; true once the page has drawn a frame
    at it (its "Canvas" line, then an "FPS:" line)."""
    width, height, ratio = resize
    seen = len(lines)
    wait(send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
              mobile=False))
    resized = False
    while time.time() < deadline:
        for line in lines[seen:]:
            resized = resized or ": Canvas " in line
            if resized and ": FPS:" in line:
                return True
        seen = len(lines)
        ws.settimeout(max(1.0, deadline - time.time()))
        try:
            note(json.loads(ws.recv()))
        except websocket.WebSocketTimeoutException:
            break
    return False


if __name__ == "__main__":
    sys.exit(main(sys.argv))
