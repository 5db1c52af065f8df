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

# WebGL 2 on SwiftShader (no GPU needed); sound without a click; nothing
# fetched from anywhere but the local server.
CHROMIUM_FLAGS = [
    "--headless=new",
    "--use-gl=angle",
    "--use-angle=swiftshader",
    "--enable-unsafe-swiftshader",
    "--autoplay-policy=no-user-gesture-required",
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
    """0 starting, 1 black pause, 2 show, 3 ended; -1 before the program's
    code is loaded."""
    return driver.execute_script("return window.vornReady ? Module._vornStage() : -1")


def show_time(driver):
    """The show time of the frame drawn last, in patterns."""
    return driver.execute_script("return Module._vornShowTime()")


def press(driver, key):
    ActionChains(driver).send_keys(key).perform()


# Wraps the page's requestAnimationFrame before its scripts run: each frame
# of the show records its start (ms), how long the callback ran (ms) and the
# show time it drew.
FRAME_RECORDER = """
(function () {
  var raf = window.requestAnimationFrame.bind(window);
  window.vornFrames = [];
  window.requestAnimationFrame = function (callback) {
    return raf(function (stamp) {
      var start = performance.now();
      callback(stamp);
      if (window.vornReady && Module._vornStage() === 2)
        window.vornFrames.push([start, performance.now() - start, Module._vornShowTime()]);
    });
  };
})();
"""


def record_frames(driver):
    """From the next page loaded on, its show's frames are recorded."""
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FRAME_RECORDER})


def recorded_frames(driver):
    """[start ms, callback ms, show time] of each frame so far."""
    return driver.execute_script("return window.vornFrames")


def start_show(driver, address, size, timeout, shot=None):
    """Loads the page at size (WxH), presses Run and waits for the show;
    the seconds from Run to the first frame of the show, or None. With
    shot, a screenshot of the page before Run is written there."""
    driver.get(address + "?size=" + size)
    run = wait_for(lambda: _enabled_run(driver), 60)
    if not run:
        return None
    if shot:
        driver.save_screenshot(shot)
    start = time.monotonic()
    run.click()
    if not wait_for(lambda: stage(driver) >= 2, timeout, 0.02):
        return None
    return time.monotonic() - start


def _enabled_run(driver):
    button = driver.find_element(By.ID, "run")
    return button if button.is_displayed() and button.is_enabled() else None
