#!/usr/bin/python3
"""`make test-web`: the page in headless chromium (WebGL 2 on SwiftShader),
served from 127.0.0.1, walked the ways people take it, with no autoplay
flag: sound starts only from their gestures.

- On a desktop window, over a 5 Mbit/s line: the download's progress counts
  every file; Run (mouse) starts the show and its sound; the show time runs
  forward; at two moments held with Pause the canvas matches vorn-capture
  at the very show time the page reports; the picture fits the window and
  follows a resize; Escape ends the show and Play again plays it again; a
  lost WebGL context is said so, with a way to start again.
- On a phone (390 x 844 at a device pixel ratio of 2, touch only): the
  dialog fits; Exit says what happened and leads back to the dialog; a tap
  on Run starts the show and its sound (or the page asks for one more tap),
  and the show time moves.
- Without sound output (the audio context never resumes) and "Fullscr" as
  the dialog has it: Run enters full screen; the page says the sound did
  not start and offers the show without it, which then runs; Escape leaves
  full screen and ends the show.
- With a clock that repeats its readings (coarse timers, virtual time): the
  dialog and the show run, and a virtual-time run does not stop the page.
- Without WebGL 2 the page says so. Nothing reaches the console as an error.

Screenshots and the native frames stay in the output folder. Prints one
line per check and 'N passed, N failed' last; exits 1 when a check failed."""

import os
import re
import subprocess
import sys
import tempfile
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
# A line of 5 Mbit/s with 20 ms of latency.
SLOW_LINE = {"offline": False, "latency": 20, "downloadThroughput": 5e6 / 8, "uploadThroughput": 5e6 / 8}
# A browser without sound output: the audio context's resume() never settles.
NO_SOUND_OUTPUT = "AudioContext.prototype.resume = function () { return new Promise(function () {}); };"
# A clock that gives the same reading for a tenth of a second at a time.
REPEATING_CLOCK = """
(function () {
  var now = performance.now.bind(performance);
  performance.now = function () { return Math.floor(now() / 100) * 100; };
  var raf = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = function (callback) {
    return raf(function () { callback(performance.now()); });
  };
})();
"""


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
    return steady_time(driver)


def steady_time(driver):
    """The show time once it stays the same frame after frame, or None."""
    def steady():
        first = browser.show_time(driver)
        time.sleep(0.5)
        return first if browser.show_time(driver) == first else None
    return browser.wait_for(steady, 10, 0)


def moves_on(driver, seconds=1.5):
    """Whether the show time grows over a while; the two readings."""
    first = browser.show_time(driver)
    time.sleep(seconds)
    last = browser.show_time(driver)
    return last > first, "t = %.3f, then %.3f" % (first, last)


def canvas_box(driver):
    """The canvas's place in the viewport, its pixels, and the viewport."""
    return driver.execute_script(
        "var c = document.getElementById('canvas'), r = c.getBoundingClientRect();"
        "return {left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width,"
        " height: r.height, pixelsW: c.width, pixelsH: c.height, ratio: devicePixelRatio,"
        " roomW: document.documentElement.clientWidth, roomH: document.documentElement.clientHeight};")


def fits(box, aspect):
    """Whether the canvas lies wholly inside the viewport, fills it along one
    side (within a pixel), keeps the picture's aspect and has a pixel for
    every screen pixel; a text saying how, or where it fails."""
    inside = box["left"] >= -0.5 and box["top"] >= -0.5 and \
        box["right"] <= box["roomW"] + 0.5 and box["bottom"] <= box["roomH"] + 0.5
    fills = box["width"] >= box["roomW"] - 1 or box["height"] >= box["roomH"] - 1
    shape = abs(box["width"] / box["height"] - aspect) < 0.02
    sharp = abs(box["pixelsW"] - box["width"] * box["ratio"]) <= 2
    text = "canvas %dx%d at (%d, %d) in %dx%d, %dx%d pixels" % (
        box["width"], box["height"], box["left"], box["top"], box["roomW"], box["roomH"],
        box["pixelsW"], box["pixelsH"])
    return inside and fills and shape, sharp, text


def canvas_shot(driver, path):
    with open(path, "wb") as f:
        f.write(driver.find_element(By.ID, "canvas").screenshot_as_png)


def file_sizes(page):
    return sum(os.path.getsize(os.path.join(page, name)) for name in ("vorn.js", "vorn.wasm", "vorn.data"))


def desktop(checks, address, page, capture, out):
    """The desktop path: download, Run, sound, moments, resize, Escape, play
    again, a lost context."""
    size = "%dx%d" % SIZE
    with browser.chromium() as driver:
        browser.record_frames(driver)
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.emulateNetworkConditions", SLOW_LINE)
        driver.get(address + "?mode=" + size)
        seen = []
        while browser.stage(driver) != 4 and len(seen) < 2000:
            text = browser.message(driver)
            if text.startswith("Loading VORN") and (not seen or seen[-1] != text):
                seen.append(text)
            time.sleep(0.05)
        total = file_sizes(page) / 1048576
        amounts = [re.match(r"Loading VORN: ([\d.]+) of ([\d.]+) MB", t) for t in seen]
        amounts = [(float(m.group(1)), float(m.group(2))) for m in amounts if m]
        checks.check("the download's progress counts every file",
                     len(amounts) >= 5 and all(abs(b - total) < 0.06 for a, b in amounts) and
                     amounts[-1][0] >= amounts[-1][1] - 0.06 and
                     all(x[0] <= y[0] for x, y in zip(amounts, amounts[1:])),
                     "%d readings, %s ... %s, the files %.1f MB" % (
                         len(amounts), seen[0] if seen else "-", seen[-1] if seen else "-", total))
        driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})

        # The dialog as the page had it, then Run.
        loading = browser.start_show(driver, address, size, 180, os.path.join(out, "dialog.png"))
        checks.check("run starts the show", loading is not None,
                     "%.1f s from Run to the show" % loading if loading is not None else
                     "page: " + browser.message(driver))
        if loading is None:
            return browser.console_errors(driver)
        time.sleep(PLAY_SECONDS)
        frames = browser.recorded_frames(driver)
        times = [f[2] for f in frames]
        back = [(a, b) for a, b in zip(times, times[1:]) if b < a]
        checks.check("the show time runs with the music", len(times) >= 2 and not back and times[-1] > 0,
                     "%d frames in %d s, up to t = %.3f%s" % (
                         len(times), PLAY_SECONDS, times[-1] if times else 0,
                         ", back from %r to %r" % back[0] if back else ""))
        state = browser.audio_state(driver)
        checks.check("the click on Run starts the sound", state == "running", "audio context " + state)

        box = canvas_box(driver)
        placed, _, text = fits(box, 16 / 9)
        checks.check("the picture fits the window", placed, text)
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
            result = pictures.compare(page_png, native_png, fit=True)
            if isinstance(result, str):
                checks.check(name + " matches vorn-capture", False, result)
            else:
                far, tile = result
                checks.check(name + " matches vorn-capture", pictures.matches(result),
                             "t = %r: %.3f %% of values more than %d off, tile means within %.2f"
                             % (held, 100 * far, pictures.FAR, tile))
            browser.press(driver, Keys.PAUSE)

        # A smaller window: the whole picture still in it, scaled.
        driver.set_window_size(700, 500)
        time.sleep(1)
        placed, _, text = fits(canvas_box(driver), 16 / 9)
        checks.check("the picture follows a resize", placed, text)
        driver.save_screenshot(os.path.join(out, "resized.png"))

        browser.press(driver, Keys.ESCAPE)
        ended = browser.wait_for(lambda: browser.stage(driver) == 3, 10)
        text = browser.wait_for(lambda: browser.message(driver), 2) or ""
        checks.check("escape ends the show", ended and "ended" in text and browser.visible(driver, "again"),
                     "page: " + text)
        driver.save_screenshot(os.path.join(out, "ended.png"))
        driver.find_element(By.ID, "again").click()
        again = browser.wait_for(lambda: browser.stage(driver) == 2, 10)
        moving, detail = moves_on(driver)
        checks.check("play again plays the show from its start",
                     again and moving and browser.show_time(driver) < 3 and not browser.message(driver),
                     detail)

        driver.execute_script(
            "document.getElementById('canvas').getContext('webgl2')"
            ".getExtension('WEBGL_lose_context').loseContext()")
        text = browser.wait_for(lambda: "graphics" in browser.message(driver) and browser.message(driver), 5) or ""
        frozen = browser.show_time(driver)
        time.sleep(0.5)
        checks.check("a lost context is said so, with a way to start again",
                     bool(text) and browser.visible(driver, "restart") and browser.show_time(driver) == frozen,
                     "page: " + text)
        return browser.console_errors(driver)


def phone(checks, address, out):
    """Touch only, on a phone-sized view at a device pixel ratio of 2."""
    with browser.chromium() as driver:
        browser.phone(driver)
        if not checks.check("the dialog comes up on a phone", browser.open_dialog(driver, address)):
            return browser.console_errors(driver)
        time.sleep(0.5)
        driver.save_screenshot(os.path.join(out, "phone-dialog.png"))
        box = canvas_box(driver)
        checks.check("the dialog fits the phone, sharp",
                     box["right"] <= box["roomW"] and box["pixelsW"] == 2 * 324 and box["width"] == 324,
                     "%dx%d pixels shown %dx%d" % (box["pixelsW"], box["pixelsH"], box["width"], box["height"]))
        browser.tap_canvas(driver, *browser.EXIT_BUTTON)
        left = browser.wait_for(lambda: browser.stage(driver) == 5, 10)
        text = browser.message(driver)
        checks.check("exit says nothing was shown", left and "nothing was shown" in text, "page: " + text)
        browser.tap_element(driver, "dialog")
        checks.check("exit leads back to the dialog", browser.wait_for(lambda: browser.stage(driver) == 4, 10))
        time.sleep(0.3)
        browser.tap_canvas(driver, *browser.FULLSCREEN_BOX)
        time.sleep(0.2)
        browser.tap_canvas(driver, *browser.RUN_BUTTON)
        started = browser.wait_for(lambda: browser.stage(driver) == 2, 180, 0.05)
        checks.check("a tap on Run starts the show", started, "stage %d" % browser.stage(driver))
        if not started:
            return browser.console_errors(driver)
        # The sound runs, or the page asks for one more tap.
        asked = browser.wait_for(lambda: browser.audio_state(driver) == "running" or
                                 browser.visible(driver, "sound-start"), 5)
        if asked and browser.visible(driver, "sound-start"):
            browser.tap_element(driver, "sound-start")
        state = browser.wait_for(lambda: browser.audio_state(driver) == "running" and "running", 5) or \
            browser.audio_state(driver)
        checks.check("touch starts the sound", state == "running", "audio context " + state)
        moving, detail = moves_on(driver)
        checks.check("the show time moves on a phone", moving, detail)
        placed, sharp, text = fits(canvas_box(driver), 4 / 3)
        checks.check("the picture fits the phone, sharp", placed and sharp, text)
        driver.save_screenshot(os.path.join(out, "phone-show.png"))
        return browser.console_errors(driver)


def no_sound(checks, address, out):
    """No sound output, and "Fullscr" checked as the dialog has it."""
    with browser.chromium() as driver:
        browser.before_page(driver, NO_SOUND_OUTPUT)
        if not browser.open_dialog(driver, address, "?mode=640x360"):
            checks.check("the dialog comes up", False)
            return browser.console_errors(driver)
        time.sleep(0.3)
        browser.click_canvas(driver, *browser.RUN_BUTTON)
        full = browser.wait_for(lambda: driver.execute_script("return !!document.fullscreenElement"), 5)
        checks.check("Fullscr runs the show in full screen", full)
        started = browser.wait_for(lambda: browser.stage(driver) == 2, 180, 0.05)
        asked = started and browser.wait_for(lambda: browser.visible(driver, "sound-start"), 10)
        checks.check("the page says the sound has not started", asked, "page: " + browser.message(driver))
        if asked:
            driver.find_element(By.ID, "sound-start").click()
            offered = browser.wait_for(lambda: "no sound output" in browser.message(driver), 10)
            checks.check("the page says there is no sound output", offered, "page: " + browser.message(driver))
            driver.find_element(By.ID, "sound-off").click()
            moving, detail = moves_on(driver, 3)
            checks.check("the show plays without sound", moving and browser.show_time(driver) > 0.2, detail)
            canvas_shot(driver, os.path.join(out, "no-sound.png"))
            _, _, picture = pictures.rgb_pixels(os.path.join(out, "no-sound.png"))
            mean = sum(picture) / max(1, len(picture))
            checks.check("the show without sound is not black", mean > 8, "mean level %.1f" % mean)
        box = canvas_box(driver)
        placed, _, text = fits(box, box["pixelsW"] / max(1, box["pixelsH"]))
        checks.check("the picture fills the full screen", placed, text)
        browser.press(driver, Keys.ESCAPE)
        ended = browser.wait_for(lambda: browser.stage(driver) == 3, 10)
        left = browser.wait_for(lambda: driver.execute_script("return !document.fullscreenElement"), 5)
        checks.check("escape leaves full screen and ends the show", ended and left,
                     "page: " + browser.message(driver))
        return browser.console_errors(driver)


def repeating_clock(checks, address, page):
    """A clock that repeats its readings: the dialog and the show run."""
    errors = []
    with browser.chromium() as driver:
        browser.before_page(driver, REPEATING_CLOCK)
        dialog = browser.open_dialog(driver, address, "?mode=640x360")
        time.sleep(1)
        alive = dialog and browser.stage(driver) == 4 and "stopped" not in browser.message(driver)
        checks.check("a repeating clock keeps the dialog alive", alive, "page: " + browser.message(driver))
        if alive:
            browser.click_canvas(driver, *browser.FULLSCREEN_BOX)
            browser.click_canvas(driver, *browser.RUN_BUTTON)
            started = browser.wait_for(lambda: browser.stage(driver) == 2, 180, 0.05)
            moving, detail = moves_on(driver) if started else (False, "stage %d" % browser.stage(driver))
            checks.check("a repeating clock runs the show", moving, detail)
        errors += browser.console_errors(driver)
    # Chromium's virtual time, as a page dump takes it.
    profile = tempfile.mkdtemp(prefix="vorn-chromium-")
    flags = [f for f in browser.CHROMIUM_FLAGS if not f.startswith("--window-size")]
    dump = subprocess.run(["/usr/bin/chromium"] + flags + ["--user-data-dir=" + profile,
                                                          "--virtual-time-budget=8000", "--dump-dom",
                                                          address + "?mode=640x360"],
                          capture_output=True, text=True, timeout=120)
    subprocess.run(["rm", "-rf", profile])
    said = re.search(r'<p id="message">([^<]*)</p>', dump.stdout)
    checks.check("virtual time does not stop the page", said is not None and "stopped" not in said.group(1),
                 "page: " + (said.group(1) if said else dump.stdout[-200:] or dump.stderr[-200:]))
    return errors


def main():
    parser = browser.OneLineParser(description=__doc__.splitlines()[0])
    parser.add_argument("--capture", required=True, help="the Linux vorn-capture")
    parser.add_argument("--page", required=True, help="the page's folder (build-web/vorn)")
    parser.add_argument("--out", required=True, help="folder for screenshots and frames")
    args = parser.parse_args()
    capture = os.path.abspath(args.capture)
    page = os.path.abspath(args.page)
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    checks = Checks()
    began = time.monotonic()
    errors = []

    with browser.serve(page) as address:
        errors += desktop(checks, address, page, capture, out)
        errors += phone(checks, address, out)
        errors += no_sound(checks, address, out)
        errors += repeating_clock(checks, address, page)
        with browser.chromium(["--disable-webgl2"]) as driver:
            driver.get(address)
            text = browser.wait_for(lambda: browser.message(driver), 10) or ""
            checks.check("without WebGL 2 the page says so", "needs WebGL 2" in text, "page: " + text)
            errors += browser.console_errors(driver)

    checks.check("no error on the console", not errors, "; ".join(errors))
    print("test-web took %.0f s; pictures in %s" % (time.monotonic() - began, out))
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
