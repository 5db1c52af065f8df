#!/usr/bin/python3
"""The show on whatever OpenGL this machine has: pictures, speed, driver.

Runs vorn-capture, which draws on SDL's offscreen driver (an EGL device of
the machine's driver, or Mesa's), and prints:
- the GL vendor, renderer and version (gl_info), for both backends;
- the 18 reference-frame times drawn with each backend at 512 x 288,
  halved by 2 x 2 means and compared with tests/frames/ under the reference
  tolerance of tests/test_frames.cpp (at most 0.5 % of the channel values off
  by more than 6, every 32 x 32 tile's mean within 5), and the two backends
  compared with each other under the backend test's (at most 0.01 % of the
  pixels with a channel off by more than 2); a driver that draws otherwise
  (one that honours GL_POLYGON_SMOOTH, say) shows here;
- frames per second of `vorn-capture --bench` at 1280 x 720, 1920 x 1080 and
  3840 x 2160 with both backends (patterns 8 to 9);
- the rate at which a 10 s mp4 at 1920 x 1080 is captured.
Exits with status 1 when a picture fails, else 0. --smoke runs a short form
(six of the times, fewer frames, a 1 s mp4) for CI.

Usage: tests/tools/gpu_check.py --capture PATH --gl-info PATH [--out DIR] [--smoke]
"""

import argparse
import os
import re
import subprocess
import sys
import time

from PIL import Image, ImageChops, ImageStat

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BENCH_LINE = re.compile(r"^(\d+) frames in ([0-9.]+) s: ([0-9.]+) fps$", re.M)

# The reference frames of tests/test_frames.cpp: file name, show time in
# patterns, aspect (the capture's --aspect).
SHOTS = [
    ("00.25-fade-in", "0.25", "16:9"), ("00.50-fade-in-target-ramp", "0.5", "16:9"),
    ("01.50-first-text-pair", "1.5", "16:9"), ("02.31-row-148", "2.3125", "16:9"),
    ("02.33-hit-row-149", "2.328125", "16:9"), ("02.34-row-150-telephoto", "2.34375", "16:9"),
    ("02.58-telephoto-ramp", "2.5833333", "16:9"), ("03.32-wide-ramp", "3.3214286", "16:9"),
    ("05.45-fly-in-gate-ramp", "5.453125", "16:9"), ("06.88-telephoto-both-ramps", "6.8833333", "16:9"),
    ("07.89-wide-third-text-pair", "7.8928571", "16:9"), ("09.00-fly-in", "9.0", "16:9"),
    ("10.50-telephoto-4x3", "10.5", "4:3"), ("11.72-wide-shake", "11.720588", "16:9"),
    ("12.50-fly-in-shake", "12.5", "16:9"), ("13.75-logo", "13.75", "16:9"),
    ("14.50-fade-out", "14.5", "16:9"), ("15.25-dark", "15.25", "16:9"),
]
SMOKE_SHOTS = {"00.25-fade-in", "02.33-hit-row-149", "07.89-wide-third-text-pair", "10.50-telephoto-4x3",
               "13.75-logo", "15.25-dark"}
BACKENDS = ("fixed", "shader")
FPS_SIZES = ("1280x720", "1920x1080", "3840x2160")

# The reference tolerance (tests/test_frames.cpp) and the backends' (tests/test_backend_frames.cpp).
VALUE_SLACK, OFF_SHARE, TILE, TILE_SLACK = 6, 0.005, 32, 5.0
BACKEND_SLACK, BACKEND_SHARE = 2, 0.0001


class OneLineParser(argparse.ArgumentParser):
    """A usage error is one line and status 2."""

    def error(self, message):
        self.exit(2, "%s: %s (see --help)\n" % (self.prog, message))


def progress(text):
    print(text, file=sys.stderr, flush=True)


def run(command, **kwargs):
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True, **kwargs)


def halve(image):
    """2 x 2 means, rounded up from a half as the reference test rounds them
    ((a + b + c + d + 2) / 4, which is what Pillow's reduce does)."""
    return image.convert("RGB").reduce(2)


def over(channel_differences, slack):
    """Values above slack in a list of per-channel difference images."""
    return sum(sum(image.histogram()[slack + 1:]) for image in channel_differences)


def reference_difference(drawn, reference):
    """Share of channel values off by more than VALUE_SLACK, and the worst
    tile mean of one channel (signed differences averaged over the tile)."""
    off = over(ImageChops.difference(drawn, reference).split(), VALUE_SLACK)
    width, height = drawn.size
    worst = 0.0
    for ty in range(0, height, TILE):
        for tx in range(0, width, TILE):
            box = (tx, ty, min(width, tx + TILE), min(height, ty + TILE))
            a, b = ImageStat.Stat(drawn.crop(box)).mean, ImageStat.Stat(reference.crop(box)).mean
            worst = max(worst, max(abs(a[c] - b[c]) for c in range(3)))
    return off / (width * height * 3), worst


def backend_difference(a, b):
    """Largest channel difference and share of pixels with a channel off by
    more than BACKEND_SLACK."""
    red, green, blue = ImageChops.difference(a, b).split()
    largest = ImageChops.lighter(ImageChops.lighter(red, green), blue)
    histogram = largest.histogram()
    top = max(i for i, n in enumerate(histogram) if n) if any(histogram) else 0
    return top, sum(histogram[BACKEND_SLACK + 1:]) / (a.size[0] * a.size[1])


def gl_strings(args):
    print("GL:")
    for backend in BACKENDS:
        result = run([args.gl_info, "--backend", backend])
        if result.returncode != 0:
            print(f"  {backend}: not available ({result.stderr.strip()})")
            continue
        for line in result.stdout.strip().splitlines():
            print(f"  {backend} {line}")


def check_pictures(args):
    """The reference frames with each backend; True when all pass."""
    shots = [s for s in SHOTS if not args.smoke or s[0] in SMOKE_SHOTS]
    print(f"Reference frames ({len(shots)} times, 512 x 288 halved; passes: at most {100 * OFF_SHARE:g} % of the "
          f"values off by more than {VALUE_SLACK}, tile means within {TILE_SLACK:g}):")
    print(f"  {'frame':30} {'fixed off %':>12} {'tile':>5} {'shader off %':>13} {'tile':>5}  "
          f"{'fixed/shader largest':>20} {'off %':>7}")
    passed = True
    for name, t, aspect in shots:
        frames = {}
        cells = []
        for backend in BACKENDS:
            out = os.path.join(args.out, f"{backend}-{name}.png")
            result = run([args.capture, "--at", t, "--size", "512x288", "--aspect", aspect, "--backend", backend,
                          "--out", out])
            if result.returncode != 0:
                cells.append(f"{'failed':>12} {'':>5}")
                progress(f"{name} {backend}: {result.stderr.strip()}")
                passed = False
                continue
            frames[backend] = Image.open(out).convert("RGB")
            reference = Image.open(os.path.join(ROOT, "tests", "frames", name + ".png")).convert("RGB")
            share, worst = reference_difference(halve(frames[backend]), reference)
            ok = share <= OFF_SHARE and worst <= TILE_SLACK
            passed = passed and ok
            cells.append(f"{100 * share:11.4f}{' ' if ok else '!'} {worst:5.2f}")
        pair = ""
        if len(frames) == 2:
            largest, share = backend_difference(frames["fixed"], frames["shader"])
            pair = f"{largest:20d} {100 * share:7.4f}{'' if share <= BACKEND_SHARE else ' (above the backend test)'}"
        print(f"  {name:30} {cells[0]} {cells[1]:>19}  {pair}")
    print(f"  {'all pass' if passed else 'SOME FAIL (marked !)'}")
    return passed


def bench(args):
    frames_per_pattern = 2 if args.smoke else 8
    fps = frames_per_pattern * 128 / 960.0
    print(f"Frames per second (vorn-capture --bench, patterns 8 to 9, {frames_per_pattern} frames):")
    print(f"  {'size':>10} " + " ".join(f"{b:>8}" for b in BACKENDS))
    for size in FPS_SIZES:
        row = []
        for backend in BACKENDS:
            result = run([args.capture, "--bench", "--quiet", "--from", "8", "--to", "9", "--fps", f"{fps:.6f}",
                          "--size", size, "--backend", backend])
            match = BENCH_LINE.search(result.stdout)
            if result.returncode != 0 or not match:
                progress(f"{size} {backend}: {result.stderr.strip()}")
                row.append(f"{'n/a':>8}")
            else:
                row.append(f"{float(match.group(3)):8.2f}")
        print(f"  {size:>10} " + " ".join(row))


def capture_mp4(args):
    seconds = 1 if args.smoke else 10
    out = os.path.join(args.out, "clip.mp4")
    print(f"Capture of a {seconds} s mp4 at 1920 x 1080 (30 fps, from 60 s, fixed backend):")
    start = time.monotonic()
    result = run([args.capture, "--from", "60s", "--to", f"{60 + seconds}s", "--fps", "30", "--size", "1920x1080",
                  "--quiet", "--out", out])
    elapsed = time.monotonic() - start
    match = BENCH_LINE.search(result.stdout)
    if result.returncode != 0 or not match:
        print(f"  failed: {result.stderr.strip()}")
        return
    frames, capture_seconds, rate = int(match.group(1)), float(match.group(2)), float(match.group(3))
    print(f"  {frames} frames in {capture_seconds:.2f} s: {rate:.2f} frames a second, "
          f"{seconds / capture_seconds:.2f} x real time ({elapsed:.1f} s with start-up)")


def main():
    parser = OneLineParser(prog="gpu_check.py", description=__doc__.split("\n\n")[0])
    parser.add_argument("--capture", required=True, help="the vorn-capture program")
    parser.add_argument("--gl-info", required=True, help="the gl_info program")
    parser.add_argument("--out", default=os.path.join(ROOT, "build", "gpu-check"),
                        help="folder for the frames and the clip (default build/gpu-check)")
    parser.add_argument("--smoke", action="store_true", help="the short form: six times, fewer frames, a 1 s mp4")
    args = parser.parse_args()
    # The programs run in the repository root, where data/ and tests/frames/ are.
    args.capture, args.gl_info, args.out = (os.path.abspath(p) for p in (args.capture, args.gl_info, args.out))
    for program in (args.capture, args.gl_info):
        if not os.access(program, os.X_OK):
            parser.error(f"{program} is not a program")
    os.makedirs(args.out, exist_ok=True)
    print(f"gpu-check{' (smoke)' if args.smoke else ''} on {os.uname().nodename}, load average "
          f"{'%.2f %.2f %.2f' % os.getloadavg()}")
    gl_strings(args)
    passed = check_pictures(args)
    bench(args)
    capture_mp4(args)
    sys.exit(0 if passed else 1)


if __name__ == "__main__":
    main()
