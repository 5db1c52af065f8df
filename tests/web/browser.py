"""The page served on 127.0.0.1 and Debian's chromium, headless, driving it:
shared by the page's test and its frame-time comparison."""

import argparse
import contextlib
import functools
import http.server
import os
import shutil
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

# WebGL 2 on SwiftShader (no GPU needed); sound only after a gesture, as
# for anyone opening the page; nothing fetched from anywhere but the local
# server.
CHROMIUM_FLAGS = [
    "--headless=new",
    "--use-gl=angle",
    "--use-angle=swiftshader",
    "--enable-unsafe-swiftshader",
    "--no-sandbox",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-default-apps",
    "--disable-domain-reliability",
    "--disable-sync",
    "--no-first-run",
    "--no-default-browser-check",
    "--no-pings",
    "--metrics-recording-only",
    "--disable-features=Translate,MediaRouter,OptimizationHints",
    "--mute-audio",
    "--window-size=1400,900",
    "--force-device-scale-factor=1",
]


class OneLineParser(argparse.ArgumentParser):
    """A usage error is one line and status 2."""

    def error(self, message):
        self.exit(2, "%s: %s (see --help)\n" % (self.prog, message))


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


@contextlib.contextmanager
def serve(folder):
    """Serves folder on 127.0.0.1 at a free port; yields the base address."""
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield "http://127.0.0.1:%d/" % server.server_address[1]
    finally:
        server.shutdown()
        server.server_close()


@contextlib.contextmanager
def chromium(extra_flags=()):
    """A headless chromium with its own empty profile, its console kept."""
    profile = tempfile.mkdtemp(prefix="vorn-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in CHROMIUM_FLAGS + list(extra_flags) + ["--user-data-dir=" + profile]:
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    service = Service(executable_path="/usr/bin/chromedriver", log_path=os.devnull)
    driver = webdriver.Chrome(service=service, options=options)
    try:
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def wait_for(condition, timeout, step=0.05):
    """Polls condition() until it returns something true; that value, or
    None after timeout seconds."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            return None
        time.sleep(step)


def stage(driver):
    """0 starting, 1 black pause, 2 show, 3 ended, 4 the dialog, 5 left at
    the dialog; -1 before the program's code is loaded."""
    return driver.execute_script("return window.vornReady ? Module._vornStage() : -1")


def show_time(driver):
    """The show time of the frame drawn last, in patterns."""
    return driver.execute_script("return Module._vornShowTime()")


def press(driver, key):
    ActionChains(driver).send_keys(key).perform()


# Wraps the page's requestAnimationFrame before its scripts run: each frame
# of the show records its start (ms), how long its callbacks ran (ms), the
# show time it drew, and the WebGL calls and draws made in it (every
# callback of one browser frame, the program's and the page's, counted as
# one). Every method of the WebGL 2 context counts as a call.
FRAME_RECORDER = """
(function () {
  var raf = window.requestAnimationFrame.bind(window);
  var gl = { calls: 0, draws: 0 };
  window.vornGl = gl;
  window.vornFrames = [];
  var proto = WebGL2RenderingContext.prototype;
  Object.getOwnPropertyNames(proto).forEach(function (name) {
    var property = Object.getOwnPropertyDescriptor(proto, name);
    if (typeof property.value !== "function" || name === "constructor")
      return;
    var method = property.value;
    var draw = /^draw/.test(name);
    proto[name] = function () {
      gl.calls++;
      if (draw)
        gl.draws++;
      return method.apply(this, arguments);
    };
  });
  window.requestAnimationFrame = function (callback) {
    return raf(function (stamp) {
      var start = performance.now(), calls = gl.calls, draws = gl.draws;
      callback(stamp);
      if (!(window.vornReady && Module._vornStage() === 2))
        return;
      var frames = window.vornFrames, last = frames[frames.length - 1];
      var spent = performance.now() - start;
      if (last && last[5] === stamp) {
        last[1] += spent;
        last[3] += gl.calls - calls;
        last[4] += gl.draws - draws;
        last[2] = Module._vornShowTime();
      } else {
        frames.push([start, spent, Module._vornShowTime(), gl.calls - calls, gl.draws - draws, stamp]);
      }
    });
  };
})();
"""


def record_frames(driver):
    """From the next page loaded on, its show's frames are recorded."""
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FRAME_RECORDER})


def recorded_frames(driver):
    """[start ms, callback ms, show time, WebGL calls, draws, stamp] of each
    frame so far."""
    return driver.execute_script("return window.vornFrames")


# The dialog's size in its own pixels; the page may show it smaller.
DIALOG_SIZE = (324, 234)


def canvas_point(driver, x, y):
    """Where (x, y) of the dialog lies in the page's viewport (CSS pixels)."""
    box = driver.execute_script(
        "var r = document.getElementById('canvas').getBoundingClientRect();"
        "return [r.left, r.top, r.width, r.height];")
    return (box[0] + x * box[2] / DIALOG_SIZE[0], box[1] + y * box[3] / DIALOG_SIZE[1])


def click_canvas(driver, x, y):
    """A mouse click at (x, y) pixels of the dialog on the canvas (its top
    left is 0, 0), wherever and however large the page shows it."""
    canvas = driver.find_element(By.ID, "canvas")
    size = canvas.size
    ActionChains(driver).move_to_element_with_offset(
        canvas, (x / DIALOG_SIZE[0] - 0.5) * size["width"],
        (y / DIALOG_SIZE[1] - 0.5) * size["height"]).click().perform()


def tap(driver, x, y):
    """A touch tap at (x, y) of the viewport (touch emulation on)."""
    point = {"x": x, "y": y, "radiusX": 4, "radiusY": 4, "force": 1, "id": 1}
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [point]})
    time.sleep(0.08)
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def tap_canvas(driver, x, y):
    """A touch tap at (x, y) pixels of the dialog on the canvas."""
    tap(driver, *canvas_point(driver, x, y))


def tap_element(driver, element_id):
    """A touch tap on the middle of a page element."""
    box = driver.execute_script(
        "var r = document.getElementById(arguments[0]).getBoundingClientRect();"
        "return [r.left + r.width / 2, r.top + r.height / 2];", element_id)
    tap(driver, *box)


def phone(driver, width=390, height=844, ratio=2):
    """From now on the page is seen as on a phone: a small view at a device
    pixel ratio of 2 and touch input only."""
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": True})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})


def before_page(driver, source):
    """Runs source in every page loaded from now on, before its scripts."""
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": source})


def message(driver):
    """What the page says (empty when it says nothing)."""
    return driver.execute_script(
        "var p = document.getElementById('panel');"
        "return p && !p.hidden ? document.getElementById('message').textContent : ''")


def visible(driver, element_id):
    return driver.execute_script(
        "var e = document.getElementById(arguments[0]);"
        "return !!e && e.offsetParent !== null && !e.closest('[hidden]')", element_id)


def console_errors(driver):
    """The console's errors since the last call."""
    return [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]


def audio_state(driver):
    return driver.execute_script(
        "return Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : 'none'")


# Where the set-up dialog's controls are on the canvas (its 216 x 144 unit
# template, 1.5 x 1.625 pixels a unit): "16:9" in the aspect list, the
# "Fullscr" box and "Run".
ASPECT_16_9 = (180, 203)
FULLSCREEN_BOX = (217, 182)
RUN_BUTTON = (295, 212)
EXIT_BUTTON = (295, 183)


def open_dialog(driver, address, query="", timeout=60):
    """Loads the page (query: '?mode=WxH' or nothing) and waits for its
    set-up dialog; False when it does not come."""
    driver.get(address + query)
    return bool(wait_for(lambda: stage(driver) == 4, timeout))


def start_show(driver, address, size, timeout, shot=None):
    """Loads the page with the picture size (WxH) preselected in its set-up
    dialog, picks 16:9, unchecks "Fullscr", presses "Run" and waits for the
    show; the seconds from Run to the first frame of the show, or None.
    With shot, a screenshot of the dialog is written there."""
    if not open_dialog(driver, address, "?mode=" + size):
        return None
    time.sleep(0.5)  # a few frames of the dialog
    if shot:
        driver.save_screenshot(shot)
    click_canvas(driver, *ASPECT_16_9)
    click_canvas(driver, *FULLSCREEN_BOX)
    start = time.monotonic()
    click_canvas(driver, *RUN_BUTTON)
    if not wait_for(lambda: stage(driver) in (2, 3), timeout, 0.02):
        return None
    return time.monotonic() - start
