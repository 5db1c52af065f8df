#!/bin/sh
# `make fuzz`: runs each libFuzzer target over its corpus and seeds, then on
# fresh inputs until SECONDS have passed. A crash, a leak or an input that
# runs over 1 s stops the target, is saved under BUILD/findings/ and fails
# the run. A timeout is run once more on its own first: one that finishes
# in time then was the machine stalling (a loaded runner), not the input,
# and is reported without failing the run.
# Usage: sh fuzz/run-fuzz.sh BUILD SECONDS TARGET...
set -e

build=$1 seconds=$2
shift 2
mkdir -p "$build/findings"
for t in "$@"; do
    echo "fuzz_$t: $seconds s"
    mkdir -p "$build/corpus/$t"
    dict=
    [ -f "fuzz/$t.dict" ] && dict=-dict=fuzz/$t.dict
    log=$build/fuzz_$t.log
    if ! "./$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=1 -print_final_stats=1 \
        -close_fd_mask=3 -artifact_prefix="$build/findings/$t-" $dict \
        "$build/corpus/$t" "$build/seeds/$t" 2>"$log"; then
        tail -n 60 "$log"
        slow=$(sed -n 's/^artifact_prefix=.*Test unit written to \(.*timeout-.*\)$/\1/p' "$log")
        [ -n "$slow" ] && "./$build/fuzz/fuzz_$t" -timeout=1 "$slow" 2>/dev/null || exit 1
        echo "fuzz_$t: $slow ran over 1 s once but in time when run again: a stall of the machine, not a hang"
    fi
    grep '^stat::number_of_executed_units' "$log" || true
done
