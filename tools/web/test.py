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
import pictures  # noqa: E402

SIZE = (640, 360)
# Held moments (patterns), reached with Page Down and then held with Pause:
# the metaballs growing after the first hit, and grown under a later camera.
# Both lie before the shake, whose amplitude follows the audio spectrum.
MOMENTS = [3.3, 9.3]
# Seconds of play watched first, without keys: the show time of every frame
# must follow the music forward.
PLAY_SECONDS = 4


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
                    result = pictures.compare(page_png, native_png)
                    if isinstance(result, str):
                        checks.check(name + " matches vorn-capture", False, result)
                    else:
                        far, tile = result
                        checks.check(name + " matches vorn-capture",
                                     pictures.matches(result),
                                     "t = %r: %.3f %% of values more than %d off, tile means within %.2f"
                                     % (held, 100 * far, pictures.FAR, tile))
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
