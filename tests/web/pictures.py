#!/usr/bin/python3
"""Compares a screenshot of the page's canvas with vorn-capture's frame at the
same show time: shared by the Chromium and the Firefox page tests. As a
command it prints the comparison as one JSON object."""

import argparse
import json
import subprocess
import sys

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


def rgb_pixels(png, size=None):
    """The picture's width, height and RGB bytes (ImageMagick decodes); with
    size (w, h), the picture resized to exactly that first."""
    resize = ["-resize", "%dx%d!" % size] if size else []
    if not size:
        size = subprocess.run(["identify", "-format", "%w %h", png], check=True,
                              capture_output=True, text=True).stdout.split()
    data = subprocess.run(["convert", png] + resize + ["-alpha", "off", "-depth", "8", "rgb:-"],
                          check=True, capture_output=True).stdout
    return int(size[0]), int(size[1]), data


def compare(page_png, native_png, fit=False):
    """(share of channel values more than FAR off, largest tile-mean
    difference), or a text when the pictures cannot be compared. With fit,
    the native picture is first scaled to the page's size."""
    w, h, a = rgb_pixels(page_png)
    w2, h2, b = rgb_pixels(native_png, (w, h) if fit else None)
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


def matches(result):
    """Whether a comparison's result is close enough."""
    if isinstance(result, str):
        return False
    far, tile = result
    return far <= MAX_FAR_SHARE and tile <= MAX_TILE_MEAN


def main():
    class OneLineParser(argparse.ArgumentParser):
        def error(self, message):
            self.exit(2, "%s: %s (see --help)\n" % (self.prog, message))

    parser = OneLineParser(description=__doc__.splitlines()[0] + " Prints {\"matches\": bool,"
                           " \"far\": share, \"tile\": levels} or {\"matches\": false, \"error\": text}.")
    parser.add_argument("page", help="the canvas screenshot (PNG)")
    parser.add_argument("native", help="vorn-capture's frame (PNG)")
    parser.add_argument("--fit", action="store_true",
                        help="scale the native frame to the screenshot's size first")
    args = parser.parse_args()
    result = compare(args.page, args.native, args.fit)
    if isinstance(result, str):
        report = {"matches": False, "error": result}
    else:
        report = {"matches": matches(result), "far": result[0], "tile": result[1],
                  "max_far": MAX_FAR_SHARE, "far_levels": FAR, "max_tile": MAX_TILE_MEAN}
    print(json.dumps(report))
    return 0


if __name__ == "__main__":
    sys.exit(main())
