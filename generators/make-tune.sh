#!/bin/sh
# Regenerates data/tune.mp3: synthesises the soundtrack with the gen_tune
# program of the given build folder, which checks its mix and stops here if
# a check fails, and encodes it with lame (44100 Hz stereo, 192 kbit/s;
# lame's info tag keeps the timing sample-exact).
# Usage: sh generators/make-tune.sh BUILD_DIR
set -e

build="${1:?usage: make-tune.sh BUILD_DIR}"
root="$(cd "$(dirname "$0")/.." && pwd)"
gen="$build/generators/gen_tune"
[ -x "$gen" ] || { echo "make-tune.sh: $gen not built" >&2; exit 1; }
command -v lame >/dev/null || { echo "make-tune.sh: lame is not installed (packaging/install-deps.sh)" >&2; exit 1; }

wav="$(mktemp "${TMPDIR:-/tmp}/vorn-tune.XXXXXX")"
trap 'rm -f "$wav"' EXIT INT TERM
"$gen" "$wav"
mkdir -p "$root/data"
lame --quiet -b 192 -q 2 "$wav" "$root/data/tune.mp3"
echo "wrote $root/data/tune.mp3 ($(wc -c < "$root/data/tune.mp3") bytes)"
