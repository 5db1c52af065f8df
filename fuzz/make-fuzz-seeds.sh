#!/bin/sh
# Writes the seed corpora of the fuzz targets, all made from the files in
# data/: the pictures as they are plus small, progressive, greyscale and odd
# sized copies (ImageMagick); slices of the soundtrack plus short clips of it
# re-encoded mono, resampled, VBR and at the lowest rates (lame); and pairs
# of the bubble pictures as raw texels for the blur atlas.
# Usage: sh fuzz/make-fuzz-seeds.sh SEED_DIR   (writes SEED_DIR/<target>/)
set -e

out="${1:?usage: make-fuzz-seeds.sh SEED_DIR}"
root="$(cd "$(dirname "$0")/.." && pwd)"
data="$root/data"
for tool in convert lame; do
    command -v $tool >/dev/null || { echo "make-fuzz-seeds.sh: $tool is not installed (packaging/install-deps.sh)" >&2; exit 1; }
done
rm -rf "$out"
mkdir -p "$out/jpeg" "$out/mp3" "$out/blur_atlas"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/vorn-seeds.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT INT TERM

# Pictures.
for picture in "$data"/*.jpg; do
    name="$(basename "$picture" .jpg)"
    cp "$picture" "$out/jpeg/$name.jpg"
    convert "$picture" -resize '24x16!' -quality 75 "$out/jpeg/$name-small.jpg"
    convert "$picture" -resize '17x9!' -colorspace Gray -interlace Plane "$out/jpeg/$name-grey-progressive.jpg"
    convert "$picture" -resize '16x16!' -sampling-factor 1x1 -interlace Plane "$out/jpeg/$name-progressive.jpg"
    convert "$picture" -resize '3x2!' -quality 50 "$out/jpeg/$name-tiny.jpg"
done

# Sound. A seed is one option byte (bit 0 loops, the rest picks a seek
# position) and the MP3 bytes.
seed() {  # seed NAME OPTION_OCTAL FILE
    { printf "\\$2"; cat "$3"; } > "$out/mp3/$1.mp3"
}
tune="$data/tune.mp3"
size=$(wc -c < "$tune")
head -c 6000 "$tune" > "$scratch/start.mp3"                  # the info tag and the first frames
tail -c +$((size / 2)) "$tune" | head -c 6000 > "$scratch/middle.mp3"  # starts inside a frame
tail -c 3000 "$tune" > "$scratch/end.mp3"
seed start 000 "$scratch/start.mp3"
seed start-loop 201 "$scratch/start.mp3"
seed middle 101 "$scratch/middle.mp3"
seed end 300 "$scratch/end.mp3"
# Half a second of the music decoded, then re-encoded.
head -c 12000 "$tune" > "$scratch/clip.mp3"
lame --quiet --decode "$scratch/clip.mp3" "$scratch/clip.wav"
encode() {  # encode NAME OPTION_OCTAL LAME_OPTIONS...
    name=$1 option=$2
    shift 2
    lame --quiet "$@" "$scratch/clip.wav" "$scratch/$name.mp3"
    seed "$name" "$option" "$scratch/$name.mp3"
}
encode mono-22khz 001 -m m -b 32 --resample 22.05
encode vbr 100 -V 6
encode lowest-8khz 041 -m m -b 8 --resample 8
encode cbr320-no-tag 000 -b 320 -t

# Blur atlas pairs: four size bytes (size - 2), an alpha choice byte, then
# texels. Equal and unequal sizes, alpha from the picture and from the colour.
pair() {  # pair NAME W0 H0 W1 H1 CHOICE_OCTAL
    { printf "\\$(printf %03o $(($2 - 2)))\\$(printf %03o $(($3 - 2)))\\$(printf %03o $(($4 - 2)))\\$(printf %03o $(($5 - 2)))\\$6"
      convert "$data/bubble.jpg" -resize "$2x$3!" rgb:-
      convert "$data/bubble2.jpg" -resize "$4x$5!" rgb:-; } > "$out/blur_atlas/$1.bin"
}
pair bubbles-16 16 16 16 16 012
pair bubbles-alpha-8 8 8 8 8 005
pair bubbles-odd 13 7 13 7 012
pair bubbles-unequal 16 16 8 8 000
pair bubbles-largest 65 65 65 65 012

echo "fuzz seeds in $out: $(ls "$out/jpeg" | wc -l) pictures, $(ls "$out/mp3" | wc -l) sounds, $(ls "$out/blur_atlas" | wc -l) atlas pairs"
