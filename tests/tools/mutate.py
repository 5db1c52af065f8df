#!/usr/bin/env python3
"""Mutation testing: how many small faults of the product code the tests catch.

Each mutant of the list (tests/tools/mutants.txt) replaces one exact text of one
file with another. The tool copies the working tree (tracked and untracked
files, not ignored ones) to build-mutate/tree, configures a build of it once
in build-mutate/build, checks that the suite passes there unmutated, and
then, for each mutant: applies it, builds incrementally, runs the suite
(ctest, stopping at the first failure; the in-process tests before the
whole-program ones), reruns the failed tests, restores the file and prints
one line:

    NAME: caught by TEST      a failure that repeats on the rerun
    NAME: MISSED              the suite passes, or its failures did not repeat
    NAME: does not compile    not counted

The last line is "caught N of M". A mutant whose text is not found exactly
once in its file stops the tool before anything is built, so the list
cannot silently rot.

Usage: tests/tools/mutate.py [--only NAME|FILE,...] [--list FILE] [--jobs N]
                       [--check] [--skip-baseline] [--exclude REGEX]
"""

import argparse
import os
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.path.join(ROOT, "build-mutate")
TREE = os.path.join(WORK, "tree")
BUILD = os.path.join(WORK, "build")


class Mutant:
    def __init__(self, name, path, line):
        self.name, self.path, self.line = name, path, line
        self.before = None
        self.after = None


def unescape(text):
    return text.replace("\\n", "\n").replace("\\\\", "\\")


def parse_list(path):
    """Blocks of a header line "NAME FILE", a line "- TEXT" (the text to
    replace) and a line "+ TEXT" (its replacement, may be empty); "\\n" in a
    text is a line break. Lines starting with # are comments."""
    mutants = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            where = f"{path}:{number}"
            if line.startswith("-") or line.startswith("+"):
                if not mutants or line[1:2] not in ("", " "):
                    sys.exit(f"{where}: '- TEXT' or '+ TEXT' expected after a 'NAME FILE' line")
                text = unescape(line[2:])
                mutant = mutants[-1]
                if line[0] == "-":
                    mutant.before = text
                else:
                    mutant.after = text
                continue
            fields = line.split()
            if len(fields) != 2:
                sys.exit(f"{where}: 'NAME FILE' expected, got: {line}")
            mutants.append(Mutant(fields[0], fields[1], where))
    names = set()
    for m in mutants:
        if not m.before or m.after is None:
            sys.exit(f"{m.line}: {m.name} needs a '- TEXT' and a '+ TEXT' line")
        if m.name in names:
            sys.exit(f"{m.line}: {m.name} is listed twice")
        names.add(m.name)
    return mutants


def select(mutants, only):
    """Mutants named in `only`, or all of those of a file named there."""
    if not only:
        return mutants
    wanted = [w for w in only.split(",") if w]
    chosen = [m for m in mutants if m.name in wanted or m.path in wanted]
    unknown = [w for w in wanted if not any(m.name == w or m.path == w for m in mutants)]
    if unknown:
        print("mutate.py: no mutant or mutated file named " + ", ".join(unknown), file=sys.stderr)
        sys.exit(2)
    return chosen


def check(mutants):
    """Each text to replace occurs exactly once in its file."""
    problems = []
    for m in mutants:
        path = os.path.join(ROOT, m.path)
        if not os.path.isfile(path):
            problems.append(f"{m.line}: {m.name}: no file {m.path}")
            continue
        count = open(path, encoding="utf-8").read().count(m.before)
        if count != 1:
            problems.append(f"{m.line}: {m.name}: its text occurs {count} times in {m.path}, not once")
    if problems:
        sys.exit("\n".join(problems))


def sync_tree():
    """Copies the working tree's files that differ into TREE, removing
    files that are gone, so that the build there stays incremental."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                            check=True, capture_output=True).stdout.decode().split("\0")
    files = {f for f in listed if f and os.path.isfile(os.path.join(ROOT, f))}
    for name in files:
        source, copy = os.path.join(ROOT, name), os.path.join(TREE, name)
        data = open(source, "rb").read()
        if os.path.isfile(copy) and open(copy, "rb").read() == data:
            continue
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        with open(copy, "wb") as f:
            f.write(data)
        os.chmod(copy, os.stat(source).st_mode)
    for folder, _, names in os.walk(TREE):
        for n in names:
            path = os.path.join(folder, n)
            if os.path.relpath(path, TREE) not in files:
                os.remove(path)


def build(jobs):
    """Configures once, then builds incrementally; True when it builds."""
    if not os.path.isfile(os.path.join(BUILD, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", TREE, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release"], check=True,
                       stdout=subprocess.DEVNULL)
    done = subprocess.run(["nice", "cmake", "--build", BUILD, f"-j{jobs}"], capture_output=True, text=True)
    return done.returncode == 0, done.stdout + done.stderr


def failed_tests():
    path = os.path.join(BUILD, "Testing", "Temporary", "LastTestsFailed.log")
    if not os.path.isfile(path):
        return []
    return [line.strip().split(":", 1)[1] for line in open(path) if ":" in line]


def ctest(args):
    """True when ctest passes. It runs in a process group of its own, so
    that an interrupted run takes the tests it started with it."""
    process = subprocess.Popen(["nice", "ctest"] + args, cwd=BUILD, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return process.wait() == 0
    except BaseException:
        os.killpg(process.pid, signal.SIGTERM)
        process.wait()
        raise


# The in-process tests first, the slower whole-program ones (tests/e2e_*.sh)
# only when those pass: most mutants are caught in the first part.
WHOLE_PROGRAM = "^e2e_"


def run_part(base):
    """None when these tests pass (or their failures do not repeat), else
    the names of the tests that failed twice."""
    if ctest(base + ["--stop-on-failure"]):
        return None
    if not ctest(base + ["--rerun-failed"]):
        return failed_tests()
    # The failure did not repeat: all of them once more, without stopping,
    # and their failures rerun.
    if ctest(base) or ctest(base + ["--rerun-failed"]):
        return None
    return failed_tests()


def run_suite(jobs, exclude):
    """The suite but the tests matching exclude, in its two parts."""
    parts = [["-E", WHOLE_PROGRAM + (f"|{exclude}" if exclude else "")],
             ["-R", WHOLE_PROGRAM] + (["-E", exclude] if exclude else [])]
    for part in parts:
        failures = run_part([f"-j{jobs}"] + part)
        if failures:
            return failures
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--only", default="", help="comma-separated mutant names or mutated files")
    parser.add_argument("--list", default=os.path.join(ROOT, "tests", "tools", "mutants.txt"), help="the mutant list")
    parser.add_argument("--jobs", type=int, default=2, help="parallel build and test jobs")
    parser.add_argument("--check", action="store_true", help="only check that every mutant applies")
    parser.add_argument("--skip-baseline", action="store_true", help="do not check the unmutated suite first")
    parser.add_argument("--exclude", default="", help="regular expression of tests to leave out, e.g. e2e_")
    options = parser.parse_args()

    mutants = select(parse_list(options.list), options.only)
    check(mutants)
    if options.check:
        print(f"{len(mutants)} mutants apply")
        return
    # A termination restores the mutated file on its way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    start = time.time()
    os.makedirs(TREE, exist_ok=True)
    sync_tree()
    built, log = build(options.jobs)
    if not built:
        sys.exit(log + "\nthe unmutated tree does not build")
    if not options.skip_baseline and run_suite(options.jobs, options.exclude) is not None:
        sys.exit("the suite fails without any mutant: " + ", ".join(failed_tests()))

    caught = counted = 0
    for index, m in enumerate(mutants, 1):
        print(f"[{index}/{len(mutants)}] {m.name} ({m.path})", file=sys.stderr, flush=True)
        path = os.path.join(TREE, m.path)
        original = open(path, encoding="utf-8").read()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(m.before, m.after, 1))
            built, _ = build(options.jobs)
            failures = run_suite(options.jobs, options.exclude) if built else None
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
            # Newer than anything built from the mutant, so it is rebuilt.
            os.utime(path, None)
        if not built:
            print(f"{m.name}: does not compile", flush=True)
            continue
        counted += 1
        if failures:
            caught += 1
            print(f"{m.name}: caught by {', '.join(failures)}", flush=True)
        else:
            print(f"{m.name}: MISSED", flush=True)
    minutes = (time.time() - start) / 60
    print(f"{minutes:.1f} minutes", file=sys.stderr)
    print(f"caught {caught} of {counted}")


if __name__ == "__main__":
    main()
