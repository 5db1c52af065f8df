#!/usr/bin/env python3
"""Frames per second of version 1.0.0 beside the current tree.

Builds vorn-capture twice under build-compare/: from the tag v1.0.0 (the
commit 05cc7c9 where a clone lacks the tag), extracted with git archive,
and from the working tree as it stands, uncommitted changes included. Then
runs `vorn-capture --bench` of both on the same span, interleaved: in each
round, for every backend and size, the old build and the new one in
alternating order, so that a change in the machine's load falls on both
alike. Prints each run as it ends (on standard error), then per backend and
size the median frames per second of each build, their range, and the
median of the rounds' ratios new / old (each round's two runs are next to
each other in time), with the load average before and after. Beside them,
the processor time a frame takes (user and system time of the process, all
its threads, less that of a run of start-up and one frame), which the
machine's other work disturbs less than the frame rate.

Usage: bench/bench_compare.py [--rounds N] [--from T] [--to T] [--fps F]
                              [--sizes WxH,...] [--backends NAME,...]
                              [--jobs N] [--base REV] [--no-build]
"""

import argparse
import os
import re
import resource
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build-compare")
BASE_TAG = "v1.0.0"
BASE_COMMIT = "05cc7c9"
BENCH_LINE = re.compile(r"^(\d+) frames in ([0-9.]+) s: ([0-9.]+) fps$", re.M)


def progress(text):
    print(text, file=sys.stderr, flush=True)


def fail(text):
    print(f"bench_compare: {text}", file=sys.stderr)
    sys.exit(1)


def git(*args):
    return subprocess.run(["git", "-C", ROOT, *args], check=True, capture_output=True, text=True).stdout.strip()


def base_revision(asked):
    """The commit to compare with: the one asked for, else the tag, else
    the commit it was made on."""
    for rev in ([asked] if asked else [BASE_TAG, BASE_COMMIT]):
        try:
            return rev, git("rev-parse", "--verify", "--quiet", rev + "^{commit}")
        except subprocess.CalledProcessError:
            if asked:
                fail(f"--base: no commit {asked} in this clone")
    fail(f"neither the tag {BASE_TAG} nor the commit {BASE_COMMIT} is in this clone")


def extract(commit, folder):
    """The commit's files in folder, once per commit."""
    stamp = os.path.join(folder, ".commit")
    if os.path.exists(stamp) and open(stamp).read().strip() == commit:
        return
    subprocess.run(["rm", "-rf", folder], check=True)
    os.makedirs(folder)
    archive = subprocess.Popen(["git", "-C", ROOT, "archive", commit], stdout=subprocess.PIPE)
    subprocess.run(["tar", "-x", "-C", folder], stdin=archive.stdout, check=True)
    if archive.wait() != 0:
        fail(f"git archive {commit} failed")
    with open(stamp, "w") as f:
        f.write(commit + "\n")


def build(source, folder, jobs):
    """vorn-capture of source, built in folder (Release, niced); its path."""
    log = os.path.join(WORK, os.path.basename(folder) + "-build.log")
    progress(f"building {os.path.relpath(folder, ROOT)}/vorn-capture (log in {os.path.relpath(log, ROOT)})")
    with open(log, "w") as out:
        for command in (["cmake", "-S", source, "-B", folder, "-DCMAKE_BUILD_TYPE=Release"],
                        ["nice", "-n", "10", "cmake", "--build", folder, "-j", str(jobs), "--target", "vorn-capture"]):
            if subprocess.run(command, stdout=out, stderr=subprocess.STDOUT).returncode != 0:
                fail(f"the build of {source} failed; see {log}")
    return os.path.join(folder, "vorn-capture")


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run_capture(program, cwd, backend, size, start, end, fps):
    """One vorn-capture --bench run: its frames, its frames per second and
    the processor seconds (user and system, all threads) the process took,
    start-up included."""
    command = [program, "--bench", "--quiet", "--from", start, "--to", end, "--fps", str(fps), "--size", size,
               "--backend", backend]
    before = children_cpu()
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    cpu = children_cpu() - before
    match = BENCH_LINE.search(result.stdout)
    if result.returncode != 0 or not match:
        fail(f"{' '.join(command)} failed (status {result.returncode}): {result.stderr.strip()}")
    return int(match.group(1)), float(match.group(3)), cpu


def load_average():
    return "%.2f %.2f %.2f" % os.getloadavg()


class OneLineParser(argparse.ArgumentParser):
    """A usage error is one line and status 2."""

    def error(self, message):
        self.exit(2, "%s: %s (see --help)\n" % (self.prog, message))


def parse_args():
    parser = OneLineParser(
        prog="bench_compare.py",
        description="vorn-capture --bench of version 1.0.0 and of the current tree, interleaved: the median "
        "frames per second of each and their ratio, per backend and size.")
    parser.add_argument("--rounds", type=int, default=5, help="runs of each build per backend and size (default 5)")
    parser.add_argument("--from", dest="start", default="8", help="first show time of the span (default 8)")
    parser.add_argument("--to", dest="end", default="9", help="end of the span (default 9)")
    parser.add_argument("--fps", type=float, default=4.0, help="frames per second of show time (default 4)")
    parser.add_argument("--sizes", default="640x360,1280x720", help="window sizes (default 640x360,1280x720)")
    parser.add_argument("--backends", default="fixed,shader", help="backends (default fixed,shader)")
    parser.add_argument("--jobs", type=int, default=2, help="parallel compile jobs (default 2)")
    parser.add_argument("--base", help=f"the commit to compare with (default the tag {BASE_TAG}, else {BASE_COMMIT})")
    parser.add_argument("--no-build", action="store_true", help="use the builds already in build-compare/")
    args = parser.parse_args()
    if args.rounds < 1:
        parser.error("--rounds must be at least 1")
    if args.jobs < 1:
        parser.error("--jobs must be at least 1")
    if args.fps <= 0:
        parser.error("--fps must be above 0")
    args.sizes = args.sizes.split(",")
    args.backends = args.backends.split(",")
    for size in args.sizes:
        if not re.fullmatch(r"\d+x\d+", size):
            parser.error(f"--sizes: {size} is not WxH")
    for backend in args.backends:
        if backend not in ("fixed", "shader"):
            parser.error(f"--backends: {backend} is neither fixed nor shader")
    return args


def main():
    args = parse_args()
    name, commit = base_revision(args.base)
    old_source = os.path.join(WORK, "base-src")
    old_build = os.path.join(WORK, "base")
    new_build = os.path.join(WORK, "current")
    if args.no_build:
        old_program = os.path.join(old_build, "vorn-capture")
        new_program = os.path.join(new_build, "vorn-capture")
        for program in (old_program, new_program):
            if not os.access(program, os.X_OK):
                fail(f"--no-build: {os.path.relpath(program, ROOT)} is not built yet")
    else:
        os.makedirs(WORK, exist_ok=True)
        extract(commit, old_source)
        old_program = build(old_source, old_build, args.jobs)
        new_program = build(ROOT, new_build, args.jobs)
    builds = [("1.0.0", old_program, old_source), ("current", new_program, ROOT)]

    head = git("rev-parse", "--short", "HEAD")
    dirty = " with uncommitted changes" if git("status", "--porcelain", "--untracked-files=no") else ""
    print(f"old: {name} ({commit[:7]}); new: the working tree at {head}{dirty}")
    print(f"span: patterns {args.start} to {args.end} at {args.fps:g} fps of show time; {args.rounds} rounds")
    load_before = load_average()
    # Processor time of start-up and a first frame, to take off each run's.
    startup = {}
    for backend in args.backends:
        for size in args.sizes:
            for label, program, cwd in builds:
                cpus = [run_capture(program, cwd, backend, size, args.start, args.end, 1e-6)[2] for _ in range(2)]
                startup[(backend, size, label)] = statistics.median(cpus)
    fps_figures, cpu_figures = {}, {}
    for round_number in range(args.rounds):
        for backend in args.backends:
            for size in args.sizes:
                # Old first in even rounds, new first in odd ones.
                order = builds if round_number % 2 == 0 else builds[::-1]
                for label, program, cwd in order:
                    frames, fps, cpu = run_capture(program, cwd, backend, size, args.start, args.end, args.fps)
                    key = (backend, size, label)
                    fps_figures.setdefault(key, []).append(fps)
                    per_frame = (cpu - startup[key]) / max(frames - 1, 1) * 1000.0
                    cpu_figures.setdefault(key, []).append(per_frame)
                    progress(f"round {round_number + 1}/{args.rounds} {backend} {size} {label}: {fps:.2f} fps, "
                             f"{per_frame:.1f} ms of processor time a frame (load {load_average()})")
    print(f"load average (1, 5, 15 min) before: {load_before}; after: {load_average()}")
    print("fps: median (range) of the runs; ratio: median of the rounds' current / 1.0.0. Processor time: "
          "user + system of all threads a frame, start-up taken off; ratio 1.0.0 / current.")
    print(f"{'backend':7} {'size':>9} {'1.0.0 fps':>19} {'current fps':>19} {'ratio':>5}  "
          f"{'1.0.0 ms':>8} {'current ms':>10} {'ratio':>5}")
    for backend in args.backends:
        for size in args.sizes:
            old, new = fps_figures[(backend, size, "1.0.0")], fps_figures[(backend, size, "current")]
            ratio = statistics.median(n / o for o, n in zip(old, new))
            old_cpu = statistics.median(cpu_figures[(backend, size, "1.0.0")])
            new_cpu = statistics.median(cpu_figures[(backend, size, "current")])
            print(f"{backend:7} {size:>9} {statistics.median(old):6.2f} ({min(old):5.2f}-{max(old):5.2f}) "
                  f"{statistics.median(new):6.2f} ({min(new):5.2f}-{max(new):5.2f}) {ratio:5.2f}  "
                  f"{old_cpu:8.1f} {new_cpu:10.1f} {old_cpu / new_cpu:5.2f}")

if __name__ == "__main__":
    main()
