#!/usr/bin/python3
"""`make test-web`: the page in headless chromium (WebGL 2 on SwiftShader),
served from 127.0.0.1. Run starts the show; its show time runs forward
frame after frame; Web Audio must be running; at
two moments, held with the Pause key, the canvas must match vorn-capture's
frame at the very show time the page reports; Escape ends the show; the
console takes no error; without WebGL 2 the page says so. Screenshots and
the native frames stay in the output folder. Prints one line per check and
'N passed, N failed' last; exits 1 when a check failed."""

import os
import subprocess
import sys
import time

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402

SIZE = (640, 360)
# Held moments (patterns), reached with Page Down and then held with Pause:
# the metaballs growing after the first hit, and grown under a later camera.
# Both lie before the shake, whose amplitude follows the audio spectrum.
MOMENTS = [3.3, 9.3]
# Seconds of play watched first, without keys: the show time of every frame
# must follow the music forward.
PLAY_SECONDS = 4
# The film grain changes every frame with the random state, which the page
# and a fresh capture reach differently, and the page comes out about 1.6
# levels darker on average (SwiftShader against Mesa's llvmpipe); the rest
# must agree. Measured over eight held moments at 640 x 360: at most 0.002 %
# of the channel values more than 24 levels off, 32 x 32 tile means within
# 4.3. The picture without its grain puts tile means 11 off, a wrong moment
# (1.3 patterns) 30 % of the values.
MAX_FAR_SHARE = 0.001     # share of channel values more than FAR levels off
FAR = 24
MAX_TILE_MEAN = 6.0       # largest difference of a 32 x 32 tile's mean, per channel
TILE = 32


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print("ok   %s%s" % (name, " (" + detail + ")" if detail else ""), flush=True)
        else:
            self.failed += 1
            print("FAIL %s%s" % (name, ": " + detail if detail else ""), flush=True)
        return ok


def rgb_pixels(png):
    """The picture's width, height and RGB bytes (ImageMagick decodes)."""
    size = subprocess.run(["identify", "-format", "%w %h", png], check=True,
                          capture_output=True, text=True).stdout.split()
    data = subprocess.run(["convert", png, "-alpha", "off", "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout
    return int(size[0]), int(size[1]), data


def compare(page_png, native_png):
    """(share of channel values more than FAR off, largest tile-mean
    difference), or a text when the pictures cannot be compared."""
    w, h, a = rgb_pixels(page_png)
    w2, h2, b = rgb_pixels(native_png)
    if (w, h) != (w2, h2):
        return "sizes differ: page %dx%d, native %dx%d" % (w, h, w2, h2)
    far = sum(1 for x, y in zip(a, b) if abs(x - y) > FAR)
    worst = 0.0
    for ty in range(0, h, TILE):
        for tx in range(0, w, TILE):
            sums = [0, 0, 0, 0, 0, 0]
            count = 0
            for y in range(ty, min(ty + TILE, h)):
                row = (y * w + tx) * 3
                end = (y * w + min(tx + TILE, w)) * 3
                for c in range(3):
                    sums[c] += sum(a[row + c:end:3])
                    sums[3 + c] += sum(b[row + c:end:3])
                count += (end - row) // 3
            for c in range(3):
                worst = max(worst, abs(sums[c] - sums[3 + c]) / count)
    return far / len(a), worst


def hold_at(driver, target):
    """Moves the show to the pattern below target with Page Down, lets it
    play on to target and holds it with Pause; the held show time."""
    while browser.show_time(driver) < int(target):
        pattern = int(browser.show_time(driver))
        browser.press(driver, Keys.PAGE_DOWN)
        # One step at a time: the next once a frame shows this one.
        if not browser.wait_for(lambda: browser.show_time(driver) >= pattern + 1, 10):
            return None
    if not browser.wait_for(lambda: browser.show_time(driver) >= target, 30):
        return None
    browser.press(driver, Keys.PAUSE)
    # Held: the same time frame after frame.
    def steady():
        first = browser.show_time(driver)
        time.sleep(0.5)
        return first if browser.show_time(driver) == first else None
    return browser.wait_for(steady, 10, 0)


def canvas_shot(driver, path):
    with open(path, "wb") as f:
        f.write(driver.find_element(By.ID, "canvas").screenshot_as_png)


def main():
    parser = browser.OneLineParser(description=__doc__.splitlines()[0])
    parser.add_argument("--capture", required=True, help="the Linux vorn-capture")
    parser.add_argument("--page", required=True, help="the page's folder (build-web/vorn)")
    parser.add_argument("--out", required=True, help="folder for screenshots and frames")
    args = parser.parse_args()
    capture = os.path.abspath(args.capture)
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    size = "%dx%d" % SIZE
    checks = Checks()
    began = time.monotonic()
    errors = []

    with browser.serve(os.path.abspath(args.page)) as address:
        with browser.chromium() as driver:
            browser.record_frames(driver)
            loading = browser.start_show(driver, address, size, 180, os.path.join(out, "dialog.png"))
            checks.check("run starts the show", loading is not None,
                         "%.1f s from Run to the show" % loading if loading is not None else
                         "page: " + driver.find_element(By.ID, "message").text)
            if loading is not None:
                time.sleep(PLAY_SECONDS)
                frames = browser.recorded_frames(driver)
                times = [f[2] for f in frames]
                back = [(a, b) for a, b in zip(times, times[1:]) if b < a]
                checks.check("the show time runs with the music", len(times) >= 2 and not back and times[-1] > 0,
                             "%d frames in %d s, up to t = %.3f%s" % (
                                 len(times), PLAY_SECONDS, times[-1] if times else 0,
                                 ", back from %r to %r" % back[0] if back else ""))
                state = driver.execute_script(
                    "return Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : 'none'")
                checks.check("web audio runs", state == "running", "audio context " + state)
                for n, target in enumerate(MOMENTS):
                    name = "moment %d" % (n + 1)
                    held = hold_at(driver, target)
                    if held is None:
                        checks.check(name + " held", False, "no steady show time")
                        continue
                    page_png = os.path.join(out, "show-%d.png" % (n + 1))
                    native_png = os.path.join(out, "native-%d.png" % (n + 1))
                    canvas_shot(driver, page_png)
                    subprocess.run([capture, "--at", repr(held), "--backend", "shader", "--size", size,
                                    "--out", native_png, "--quiet"], check=True, stdout=subprocess.DEVNULL)
                    result = compare(page_png, native_png)
                    if isinstance(result, str):
                        checks.check(name + " matches vorn-capture", False, result)
                    else:
                        far, tile = result
                        checks.check(name + " matches vorn-capture",
                                     far <= MAX_FAR_SHARE and tile <= MAX_TILE_MEAN,
                                     "t = %r: %.3f %% of values more than %d off, tile means within %.2f"
                                     % (held, 100 * far, FAR, tile))
                    browser.press(driver, Keys.PAUSE)
                browser.press(driver, Keys.ESCAPE)
                ended = browser.wait_for(lambda: browser.stage(driver) == 3, 10)
                text = browser.wait_for(lambda: driver.find_element(By.ID, "message").text, 2) or ""
                checks.check("escape ends the show", ended and "ended" in text, "page: " + text)
            errors += [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]

        with browser.chromium(["--disable-webgl2"]) as driver:
            driver.get(address)
            text = browser.wait_for(lambda: driver.find_element(By.ID, "message").text, 10) or ""
            checks.check("without WebGL 2 the page says so", "needs WebGL 2" in text, "page: " + text)
            errors += [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]

    checks.check("no error on the console", not errors, "; ".join(errors))
    print("test-web took %.0f s; pictures in %s" % (time.monotonic() - began, out))
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
