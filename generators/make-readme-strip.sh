#!/bin/sh
# Draws the README's picture: four moments of the show (the first bubbles,
# the metaballs growing, a telephoto camera, the logo) captured by
# vorn-capture at 1280 x 720 and set side by side, 400 x 225 each, as a JPEG.
# Arguments: the build folder (its vorn-capture is used), the output file.
set -e
CAPTURE=$1/vorn-capture
OUT=$2
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
frames=""
for t in 2.6 7 10 13.9; do
    "$CAPTURE" --at $t --size 1280x720 --out "$TMP/$t.png" >/dev/null
    frames="$frames $TMP/$t.png"
done
convert $frames -resize 400x225 -bordercolor black -border 2 +append -strip -quality 85 "$TMP/strip.jpg"
mv "$TMP/strip.jpg" "$OUT"
echo "$OUT: $(du -k "$OUT" | cut -f1) KiB"
