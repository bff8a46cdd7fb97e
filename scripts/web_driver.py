#!/usr/bin/python3
"""Serves the web build on 127.0.0.1 and drives headless Chromium over the
DevTools protocol: the one place that knows how.

  web_driver.py play BUILD SHOT.png [SECONDS]   plays Brickfall, sweeping the pointer, and saves a screenshot
  web_driver.py serve BUILD [PORT]              serves BUILD on 127.0.0.1 until interrupted
"""
import asyncio
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
from pathlib import Path

import websockets

ROOT = Path(__file__).resolve().parent.parent


def names(path):
    """A game's names file (NAME=value lines), where its names are defined once."""
    found = {}
    for line in Path(path).read_text().splitlines():
        if line[:1].isalpha() and "=" in line:
            key, value = line.split("=", 1)
            found[key] = value
    return found


class Handler(http.server.SimpleHTTPRequestHandler):
    """Serves the build folder; under /without/NAME/ the same files, bar NAME."""

    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}

    def do_GET(self):
        parts = self.path.split("?")[0].split("/")
        if len(parts) > 3 and parts[1] == "without":
            if parts[-1] == parts[2]:
                self.send_error(404)
                return
            self.path = "/" + "/".join(parts[3:])
        super().do_GET()

    def log_message(self, *args):
        pass


def serve(root, port=0):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(Handler, directory=str(root)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}"


class Browser:
    """One headless Chromium with WebGL drawn by SwiftShader, and its one page."""

    FLAGS = ["--headless", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
             "--no-first-run", "--disable-gpu-sandbox", "--disable-dev-shm-usage", "--remote-debugging-port=0",
             "--hide-scrollbars", "--autoplay-policy=no-user-gesture-required"]

    async def start(self):
        chromium = shutil.which("chromium") or shutil.which("chromium-browser")
        if not chromium:
            raise RuntimeError("no chromium: install the chromium package")
        self.profile = tempfile.mkdtemp(prefix="veltra-chromium-")
        self.process = subprocess.Popen([chromium, *self.FLAGS, f"--user-data-dir={self.profile}", "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = Path(self.profile) / "DevToolsActivePort"
        for _ in range(300):
            if port_file.exists() and port_file.read_text().count("\n") >= 1:
                break
            await asyncio.sleep(0.05)
        port = port_file.read_text().split()[0]
        pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        page = next(p for p in pages if p["type"] == "page")
        self.socket = await websockets.connect(page["webSocketDebuggerUrl"], max_size=None)
        self.next_id, self.waiting, self.console = 0, {}, []
        self.reader = asyncio.create_task(self.read())
        await self.call("Runtime.enable")
        await self.call("Page.enable")
        await self.viewport(800, 600)

    async def read(self):
        async for raw in self.socket:
            message = json.loads(raw)
            if "id" in message:
                self.waiting.pop(message["id"]).set_result(message)
            elif message.get("method") == "Runtime.consoleAPICalled":
                self.console.append(" ".join(str(a.get("value", a.get("description", ""))) for a in message["params"]["args"]))
            elif message.get("method") == "Runtime.exceptionThrown":
                self.console.append("exception: " + message["params"]["exceptionDetails"].get("text", ""))

    async def call(self, method, **params):
        self.next_id += 1
        future = asyncio.get_running_loop().create_future()
        self.waiting[self.next_id] = future
        await self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        reply = await asyncio.wait_for(future, 120)
        if "error" in reply:
            raise RuntimeError(f"{method}: {reply['error']['message']}")
        return reply["result"]

    async def viewport(self, width, height):
        await self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1,
                        mobile=False)

    async def evaluate(self, expression):
        result = await self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression[:60]}: {result['exceptionDetails'].get('text')}")
        return result["result"].get("value")

    async def goto(self, url):
        self.console = []
        await self.call("Page.navigate", url=url)
        await self.wait_for("document.readyState === 'complete'", 30)

    async def wait_for(self, expression, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = await self.evaluate(expression)
            if value:
                return value
            await asyncio.sleep(0.05)
        raise TimeoutError(f"waited {seconds} s for {expression}")

    async def frames_after(self, count, seconds=30):
        """Waits until `count` more frames than now have been shown."""
        start = await self.wait_for("typeof Module !== 'undefined' && Module.calledRun && Module._veltra_frames() + 1", seconds)
        await self.wait_for(f"Module._veltra_frames() >= {start - 1 + count}", seconds)

    async def move(self, x, y):
        await self.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)

    async def key_event(self, kind, key, code, key_code):
        await self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, windowsVirtualKeyCode=key_code)

    async def click(self, x, y):
        await self.move(x, y)
        for kind in ("mousePressed", "mouseReleased"):
            await self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    async def pixels(self, selector="#canvas"):
        """The canvas's pixels as (width, height, RGBA bytes, rows from the top)."""
        value = await self.evaluate(f"""(() => {{
            const c = document.querySelector('{selector}'), t = document.createElement('canvas');
            t.width = c.width; t.height = c.height;
            const g = t.getContext('2d'); g.drawImage(c, 0, 0);
            const d = g.getImageData(0, 0, c.width, c.height).data;
            let s = ''; for (let i = 0; i < d.length; i += 8192) s += String.fromCharCode(...d.subarray(i, i + 8192));
            return [c.width, c.height, btoa(s)]; }})()""")
        return Frame(value[0], value[1], base64.b64decode(value[2]))

    async def screenshot(self, path, width, height):
        shot = await self.call("Page.captureScreenshot", format="png",
                               clip={"x": 0, "y": 0, "width": width, "height": height, "scale": 1})
        Path(path).write_bytes(base64.b64decode(shot["data"]))

    async def stop(self):
        self.reader.cancel()
        await self.socket.close()
        self.process.terminate()
        self.process.wait(10)
        shutil.rmtree(self.profile, ignore_errors=True)


class Frame:
    def __init__(self, width, height, rgba):
        self.width, self.height, self.rgba = width, height, rgba

    def at(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.rgba[i:i + 3])


async def sweep_and_shoot(browser, url, shot, seconds):
    await browser.goto(url)
    await browser.frames_after(10)
    xs = [320, 420, 520, 620, 560, 460, 360, 260, 160, 260, 360]
    for x in xs:
        await browser.move(x, 440)
        await asyncio.sleep(seconds / len(xs))
    await browser.screenshot(shot, 640, 480)


async def play(build, shot, seconds):
    server, base = serve(build)
    print(f"play-web: Brickfall at {base}/demo/Brickfall.html", flush=True)
    browser = Browser()
    await browser.start()
    try:
        await sweep_and_shoot(browser, f"{base}/demo/Brickfall.html", shot, seconds)
    finally:
        await browser.stop()
        server.shutdown()
    print(f"play-web: screenshot saved to {shot}")
    if any(line.startswith(("veltra:", "brickfall:", "exception")) for line in browser.console):
        print("\n".join(browser.console))
        return 1
    return 0


def main(argv):
    if len(argv) >= 3 and argv[1] == "play":
        return asyncio.run(play(Path(argv[2]), argv[3], float(argv[4]) if len(argv) > 4 else 4))
    if len(argv) >= 3 and argv[1] == "serve":
        server, base = serve(Path(argv[2]), int(argv[3]) if len(argv) > 3 else 8000)
        print(f"Brickfall: {base}/demo/Brickfall.html", flush=True)
        print(f"Flock: {base}/examples/flock/flock.html (Ctrl-C stops serving)", flush=True)
        try:
            threading.Event().wait()
        except KeyboardInterrupt:
            server.shutdown()
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
