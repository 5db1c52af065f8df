#!/usr/bin/python3
"""OpenGL ES calls of one show frame drawn by the shader backend, counted
with apitrace: for each show time, vorn-capture renders a frame just before
it and then the frame at it (so that programs linked on first use are not
counted), under `apitrace trace`; the calls after the first frame's
glFinish up to and including the second's are that frame's. Prints, for
each time, "t = T s: ES calls per frame: N, draws: M" and, with --by-name,
the calls of that frame by function."""

import argparse
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile

DEFAULT_TIMES = ["3.3", "8.5", "9.3", "12"]
DRAWS = {"glDrawArrays", "glDrawElements", "glDrawRangeElements"}
CALL = re.compile(r"^\d+ (\w+)\(")


class OneLineParser(argparse.ArgumentParser):
    """Usage errors as one line and status 2."""

    def error(self, message):
        sys.stderr.write("%s: %s\n" % (self.prog, message))
        sys.exit(2)


def seconds(text):
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError("not a time in seconds: %r" % text)
    if value < 0.01:
        raise argparse.ArgumentTypeError("times start at 0.01 s: %r" % text)
    return value


def size(text):
    if not re.fullmatch(r"\d+x\d+", text):
        raise argparse.ArgumentTypeError("not WxH: %r" % text)
    return text


def frame_calls(capture, time, frame_size, folder):
    """The calls of the frame at time (seconds), in order."""
    trace = os.path.join(folder, "frame.trace")
    # Two frames a millisecond apart (the highest rate vorn-capture takes),
    # the second at the time asked.
    command = ["apitrace", "trace", "--api", "egl", "--output", trace, capture, "--backend", "shader",
               "--size", frame_size, "--from", "%.4fs" % (time - 0.001), "--to", "%.4fs" % (time + 0.0005),
               "--fps", "1000", "--bench", "--quiet"]
    run = subprocess.run(command, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit("vorn-capture under apitrace failed (status %d): %s" % (run.returncode, run.stderr.strip()[-2000:]))
    dump = subprocess.run(["apitrace", "dump", "--color=never", trace], capture_output=True, text=True)
    if dump.returncode != 0:
        sys.exit("apitrace dump failed: " + dump.stderr.strip())
    names = [m.group(1) for m in map(CALL.match, dump.stdout.splitlines()) if m]
    finishes = [i for i, name in enumerate(names) if name == "glFinish"]
    if len(finishes) != 2:
        sys.exit("expected two frames, each ending with glFinish, found %d" % len(finishes))
    return names[finishes[0] + 1:finishes[1] + 1]


def main():
    parser = OneLineParser(description=__doc__.splitlines()[0])
    parser.add_argument("--capture", default="build/vorn-capture", help="the vorn-capture program (default %(default)s)")
    parser.add_argument("--size", type=size, default="640x360", help="frame size WxH (default %(default)s)")
    parser.add_argument("--by-name", action="store_true", help="also list each frame's calls by function")
    parser.add_argument("times", nargs="*", type=seconds, metavar="SECONDS",
                        help="show times in seconds (default %s)" % " ".join(DEFAULT_TIMES))
    args = parser.parse_args()
    times = args.times or [float(t) for t in DEFAULT_TIMES]
    if not shutil.which("apitrace"):
        parser.error("apitrace not found: install the Debian package apitrace (packaging/install-deps.sh)")
    capture = os.path.abspath(args.capture)
    if not os.access(capture, os.X_OK):
        parser.error("no program at %s: build vorn-capture first" % args.capture)

    with tempfile.TemporaryDirectory(prefix="es_calls.") as folder:
        for time in times:
            print("counting the frame at %g s..." % time, file=sys.stderr)
            calls = frame_calls(capture, time, args.size, folder)
            draws = sum(1 for name in calls if name in DRAWS)
            print("t = %g s: ES calls per frame: %d, draws: %d" % (time, len(calls), draws), flush=True)
            if args.by_name:
                for name, count in collections.Counter(calls).most_common():
                    print("    %5d %s" % (count, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
