#!/usr/bin/python3
"""`make bench-web`: the show's frame time from show time 8 to 13 (patterns)
at 640 x 360, in headless chromium (WebGL 2 on SwiftShader, the frame rate
unlimited) and natively (vorn-capture --bench, shader backend on Mesa), in
one run, side by side. In the page the show plays in real time with its
music: the figures are the intervals between the browser's frames and the
time the frame callback itself took, over the frames whose show time lies
in the span, with the WebGL calls and draws each frame makes (every method
call on the WebGL 2 context counts)."""

import os
import re
import statistics
import subprocess
import sys
import time

from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402

SIZE = "640x360"
FROM, TO = 8, 13

def page_frames(page):
    with browser.serve(page) as address:
        flags = ["--disable-gpu-vsync", "--disable-frame-rate-limit"]
        with browser.chromium(flags) as driver:
            browser.record_frames(driver)
            if browser.start_show(driver, address, SIZE, 180) is None:
                sys.exit("the page's show did not start")
            while browser.show_time(driver) < FROM:
                pattern = int(browser.show_time(driver))
                browser.press(driver, Keys.PAGE_DOWN)
                browser.wait_for(lambda: browser.show_time(driver) >= pattern + 1, 10)
            if not browser.wait_for(lambda: browser.show_time(driver) >= TO, 120, 0.5):
                sys.exit("the page's show did not reach pattern %d" % TO)
            frames = browser.recorded_frames(driver)
    span = [f for f in frames if FROM <= f[2] < TO]
    # Page Down lands on pattern 8 itself: the span's frames are one run.
    intervals = [b[0] - a[0] for a, b in zip(span, span[1:])]
    return len(span), intervals, [f[1] for f in span], [f[3] for f in span], [f[4] for f in span]


def native_frame_ms(capture):
    result = subprocess.run([capture, "--bench", "--backend", "shader", "--size", SIZE,
                             "--from", str(FROM), "--to", str(TO), "--quiet"],
                            check=True, capture_output=True, text=True)
    match = re.search(r"(\d+) frames in ([\d.]+) s", result.stdout + result.stderr)
    if not match:
        sys.exit("vorn-capture --bench said: " + result.stdout + result.stderr)
    frames, seconds = int(match.group(1)), float(match.group(2))
    return frames, 1000.0 * seconds / frames


def main():
    parser = browser.OneLineParser(description=__doc__.splitlines()[0])
    parser.add_argument("--capture", required=True, help="the Linux vorn-capture")
    parser.add_argument("--page", required=True, help="the page's folder (build-web/vorn)")
    args = parser.parse_args()

    print("show time %d to %d, %s" % (FROM, TO, SIZE), file=sys.stderr)
    count, intervals, callbacks, calls, draws = page_frames(os.path.abspath(args.page))
    if len(intervals) < 2:
        sys.exit("too few frames in the page: %d" % count)
    frames, native = native_frame_ms(os.path.abspath(args.capture))

    def p95(values):
        return sorted(values)[int(0.95 * (len(values) - 1))]

    print("%-44s %8s %8s %8s %8s" % ("", "frames", "mean ms", "median", "95th"))
    print("%-44s %8d %8.1f %8.1f %8.1f" % ("chromium, SwiftShader: frame interval", count,
                                           statistics.mean(intervals), statistics.median(intervals),
                                           p95(intervals)))
    print("%-44s %8d %8.1f %8.1f %8.1f" % ("chromium, SwiftShader: frame callback", count,
                                           statistics.mean(callbacks), statistics.median(callbacks),
                                           p95(callbacks)))
    print("%-44s %8d %8.1f" % ("native, shader backend on Mesa", frames, native))
    print("%-44s %8d %8.0f %8.0f %8.0f" % ("chromium: WebGL calls a frame", count, statistics.mean(calls),
                                           statistics.median(calls), p95(calls)))
    print("%-44s %8d %8.0f %8.0f %8.0f" % ("chromium: WebGL draws a frame", count, statistics.mean(draws),
                                           statistics.median(draws), p95(draws)))
    print("page / native: %.1f x (frame interval)" % (statistics.mean(intervals) / native))


if __name__ == "__main__":
    main()
