#!/usr/bin/python3
"""The web build in headless Chromium, in one browser: the pixel suite's page,
Brickfall played under a moved pointer, without a picture, without WebGL, and
for 10,000 frames without heap growth, and Flock steered by a key and a
click. Usage: web_e2e.py BUILD [CHECK...]"""
import asyncio
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "scripts"))
import web_driver  # noqa: E402

BACKGROUND = (10, 20, 30)
NAMES = web_driver.names(web_driver.ROOT / "demo" / "brickfall.names")
GAME = "demo/Brickfall.html"


class Check:
    def __init__(self, name):
        self.name, self.failures = name, []

    def expect(self, ok, what):
        if not ok:
            self.failures.append(what)
        return ok


def paddle_span(frame, colour):
    """The first and last x of the paddle's colour on its centre line (y 440)."""
    xs = [x for x in range(frame.width) if near(frame.at(x, 440), colour)]
    return (xs[0], xs[-1]) if xs else None


def near(a, b, slack=2):
    return all(abs(p - q) <= slack for p, q in zip(a, b))


async def picture_texel(browser, name, x, y):
    """A texel of one of the game's pictures as the server has it, decoded exactly."""
    return tuple(await browser.evaluate(f"""(async () => {{
        const b = await createImageBitmap(await (await fetch('{name}')).blob(),
                                          {{premultiplyAlpha: 'none', colorSpaceConversion: 'none'}});
        const c = new OffscreenCanvas(b.width, b.height), g = c.getContext('2d');
        g.drawImage(b, 0, 0);
        return Array.from(g.getImageData({x}, {y}, 1, 1).data.slice(0, 3)); }})()"""))


async def pixel_suite(browser, base, check):
    await browser.goto(f"{base}/tests/web_pixels.html")
    status = await browser.wait_for("window.veltraExit !== undefined && String(window.veltraExit)", 300)
    summary = [line for line in browser.console if line.startswith(("[  PASSED", "[  FAILED", "[==========]"))]
    print("\n".join("    " + line for line in summary))
    if not check.expect(status == "0", f"the pixel suite exited with {status}"):
        print("\n".join(browser.console))
    # What its sound test's OfflineAudioContext played, against what the output pulled from the mix.
    sound = await browser.evaluate("Module.veltraAudioCheck")
    print(f"    Web Audio: {sound['frames']} frames rendered, {sound['wrong']} differ from the mix, "
          f"{sound['loud']} not silent")
    check.expect(sound["frames"] == 48000 and sound["wrong"] == 0 and sound["loud"] > 10000, f"sound: {sound}")


async def brickfall_plays(browser, base, check):
    await browser.goto(f"{base}/{GAME}")
    await browser.frames_after(5)
    check.expect(await browser.evaluate("document.title") == NAMES["BRICKFALL_CAPTION"], "the page's title")
    paddle = await picture_texel(browser, NAMES["BRICKFALL_PADDLE_PICTURE"], 75, 10)
    block = await picture_texel(browser, NAMES["BRICKFALL_BLOCK_PICTURE"], 20, 10)
    # The paddle follows the pointer, also beyond the canvas's right edge.
    # Its ends are rounded: the centre colour stops short of them by a few pixels.
    for x in (300, 150, 700):
        await browser.move(x, 300)
        await browser.frames_after(3)
        span = paddle_span(await browser.pixels(), paddle)
        check.expect(span and abs(span[0] - (x - 75)) <= 3 and abs(span[1] - min(x + 75, 639)) <= 3,
                     f"paddle under x {x}: {span}")
    await browser.move(300, 300)
    await browser.frames_after(3)
    frame = await browser.pixels()
    field = [frame.at(x, y) for y in range(220, 420, 2) for x in range(0, 640, 2)]
    check.expect(sum(near(p, BACKGROUND, 0) for p in field) > len(field) * 95 // 100, "the open field is background")
    bricks = sum(near(frame.at(col * 40 + 20, row * 20 + 10), block) for row in range(10) for col in range(16)
                 if row or col >= 3)
    check.expect(bricks > 140, f"{bricks} blocks show")
    red = sum(1 for y in range(8, 32) for x in range(8, 140) if (lambda p: p[0] > 180 and p[1] < 90 and p[2] < 90)(frame.at(x, y)))
    check.expect(red > 30, f"{red} red pixels of the points text")
    errors = [line for line in browser.console if line.startswith(("veltra:", "brickfall:", "exception"))]
    check.expect(not errors, f"console: {errors}")
    await browser.screenshot(browser.artefacts / "web-brickfall.png", 640, 480)


async def missing_picture(browser, base, check):
    ball = NAMES["BRICKFALL_BALL_PICTURE"]
    await browser.goto(f"{base}/without/{ball}/{GAME}")
    await browser.frames_after(10)
    lines = [line for line in browser.console if line.startswith("veltra:")]
    check.expect(len(lines) == 1 and f'"{ball}"' in lines[0], f"one line for the missing ball: {lines}")
    frame = await browser.pixels()
    check.expect(not near(frame.at(100, 50), BACKGROUND, 0), "the blocks still draw")


async def no_webgl(browser, base, check):
    hidden = await browser.call("Page.addScriptToEvaluateOnNewDocument", source="""
        const real = HTMLCanvasElement.prototype.getContext;
        HTMLCanvasElement.prototype.getContext = function (kind, options) {
          return /webgl/.test(kind) ? null : real.call(this, kind, options); };""")
    try:
        await browser.goto(f"{base}/{GAME}")
        status = await browser.wait_for("window.veltraExit !== undefined && String(window.veltraExit)", 30)
        check.expect(status == "1", f"exit status {status}")
        page = await browser.evaluate("document.getElementById('log').textContent")
        check.expect(page.startswith("veltra: cannot create the device: this browser has no WebGL"), f"page: {page!r}")
        lines = [line for line in browser.console if line.startswith("veltra:")]
        check.expect(len(lines) == 1, f"one line: {lines}")
    finally:
        await browser.call("Page.removeScriptToEvaluateOnNewDocument", identifier=hidden["identifier"])


async def heap_over_10000_frames(browser, base, check):
    await browser.goto(f"{base}/{GAME}")
    await browser.frames_after(5)
    # As fast as the page can, not at the display's pace.
    await browser.evaluate("Module._emscripten_set_main_loop_timing(2, 0)")
    await browser.frames_after(200)
    measure = "[Module._veltra_frames(), Module._veltra_heap_in_use(), HEAP8.length]"
    start = await browser.evaluate(measure)
    began = time.monotonic()
    for x in range(1000, 11000, 1000):  # the paddle moves and the ball scores
        await browser.move(x % 640, 300)
        await browser.wait_for(f"Module._veltra_frames() >= {start[0] + x}", 120)
    end = await browser.evaluate(measure)
    print(f"    {end[0] - start[0]} frames in {time.monotonic() - began:.1f} s: heap in use {start[1]} -> {end[1]} "
          f"bytes, wasm memory {start[2]} -> {end[2]} bytes")
    check.expect(end[2] == start[2], "the wasm memory grew")
    # The line cache's bookkeeping for new points texts, bounded at 256 lines.
    check.expect(end[1] <= start[1] + 65536, "the heap in use grew")


FLOCK = web_driver.names(web_driver.ROOT / "examples" / "flock" / "flock.names")
FIELD, COAT, RING = (86, 140, 62), (176, 102, 46), (255, 236, 80)


def middle_of(frame, colour, slack):
    """The middle of the pixels of one colour, and how many there are."""
    xs, ys = [], []
    for y in range(frame.height):
        for x in range(frame.width):
            if near(frame.at(x, y), colour, slack):
                xs.append(x), ys.append(y)
    return (sum(xs) / len(xs), sum(ys) / len(ys), len(xs)) if xs else (None, None, 0)


async def flock_plays(browser, base, check):
    """The second game on the engine's own window in a page: it draws, the
    dog runs with an arrow key, and a click barks where the pointer is."""
    await browser.goto(f"{base}/examples/flock/flock.html")
    await browser.frames_after(5)
    check.expect(await browser.evaluate("document.title") == FLOCK["FLOCK_CAPTION"], "the page's title")
    frame = await browser.pixels()
    field = sum(near(frame.at(x, y), FIELD, 0) for y in range(0, 480, 4) for x in range(0, 640, 4))
    check.expect(field > 160 * 120 * 2 // 3, f"the field shows on {field} of {160 * 120} pixels")
    x0, y0, _ = middle_of(frame, COAT, 6)
    await browser.key_event("keyDown", "ArrowRight", "ArrowRight", 39)
    await asyncio.sleep(1.5)
    await browser.key_event("keyUp", "ArrowRight", "ArrowRight", 39)
    await browser.frames_after(3)
    x1, y1, _ = middle_of(await browser.pixels(), COAT, 6)
    check.expect(x0 is not None and x1 is not None and x1 - x0 > 60, f"the dog ran right: {x0},{y0} to {x1},{y1}")
    await browser.click(250, 300)
    await browser.frames_after(3)
    rx, ry, ring = middle_of(await browser.pixels(), RING, 12)
    check.expect(ring > 100 and abs(rx - 250) < 8 and abs(ry - 300) < 8, f"the bark's ring: {ring} at {rx},{ry}")
    await browser.screenshot(browser.artefacts / "web-flock.png", 640, 480)
    errors = [line for line in browser.console if line.startswith(("veltra:", "exception"))]
    check.expect(not errors, f"console: {errors}")


CHECKS = [pixel_suite, brickfall_plays, missing_picture, no_webgl, heap_over_10000_frames, flock_plays]
if len(sys.argv) > 2:
    CHECKS = [c for c in CHECKS if c.__name__ in sys.argv[2:]]


async def run(build):
    server, base = web_driver.serve(build)
    browser = web_driver.Browser()
    await browser.start()
    browser.artefacts = build / "tests"
    passed = failed = 0
    try:
        for test in CHECKS:
            check = Check(test.__name__)
            began = time.monotonic()
            try:
                await test(browser, base, check)
            except Exception as e:  # a hung or broken page fails its check, not the run
                check.failures.append(f"{type(e).__name__}: {e}")
            ok = not check.failures
            passed, failed = passed + ok, failed + (not ok)
            print(f"{'ok' if ok else 'FAILED'}: {check.name} ({time.monotonic() - began:.1f} s)", flush=True)
            for failure in check.failures:
                print(f"    {failure}")
    finally:
        await browser.stop()
        server.shutdown()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(asyncio.run(run(Path(sys.argv[1]).resolve())))
