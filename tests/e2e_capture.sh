#!/bin/sh
# vorn-capture from the outside, with no display: usage errors, byte-equal
# repeats, frame times of a span, a short mp4 whose flash meets its sound,
# the bench line and Ctrl-C. (The pictures themselves are checked by the
# reference frames of test_frames.) Arguments: the demo program (the
# capture lies beside it), the source folder, a scratch folder.
CAPTURE=$(dirname "$(realpath "$1")")/vorn-capture
SRC=$(realpath "$2")
WORK=$3
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WORK" && mkdir -p "$WORK" && WORK=$(realpath "$WORK") || exit 1
cd "$SRC" || exit 1

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# mean FILE: mean (0..1) of the picture.
mean() { convert "$1" -format '%[fx:mean]' info:; }
# above A B [MARGIN]: A exceeds B by more than MARGIN (default 0).
above() { awk -v a="$1" -v b="$2" -v m="${3:-0}" 'BEGIN { exit !(a > b + m) }'; }

# expect_usage_error EXPECTED ARGS...: status 2, one line naming the
# problem, and the scratch folder as it was. The capture runs with
# CAPTURE_PATH as its PATH.
expect_usage_error() {
    expected=$1
    shift
    before=$(ls -A "$WORK")
    PATH="$CAPTURE_PATH" "$CAPTURE" "$@" >"$WORK/.out" 2>"$WORK/.err"
    status=$?
    message=$(cat "$WORK/.err")
    rm -f "$WORK/.out" "$WORK/.err"
    [ "$status" = 2 ] || fail "$*: status $status ($message)"
    [ "$(printf '%s\n' "$message" | wc -l)" = 1 ] || fail "$*: not one line: $message"
    case "$message" in *"$expected"*) ;; *) fail "$*: '$message' does not say '$expected'" ;; esac
    [ "$(ls -A "$WORK")" = "$before" ] || fail "$*: left $(ls -A "$WORK")"
}

CAPTURE_PATH=$PATH
: >"$WORK/file"
mkdir "$WORK/bin"
expect_usage_error "not expected" --bogus
expect_usage_error "not a show time" --at 8x --out "$WORK/x.png"
expect_usage_error "negative" --at -1 --out "$WORK/x.png"
expect_usage_error "after --from" --from 3 --to 2 --out "$WORK/d/"
expect_usage_error "--fps" --from 1 --to 2 --fps 0 --bench
expect_usage_error "--fps" --from 1 --to 2 --fps 100000 --bench
expect_usage_error "smaller than 512x256" --from 1 --to 2 --bench --size 511x256
expect_usage_error "larger than this GL allows" --from 1 --to 2 --bench --size 64000x256
expect_usage_error "--aspect" --from 1 --to 2 --bench --aspect 5:4
expect_usage_error "--backend: bogus not in {fixed,shader}" --at 1 --backend bogus --out "$WORK/x.png"
expect_usage_error "cannot make the folder" --from 1 --to 2 --out "$WORK/file/d/"
CAPTURE_PATH=/nonexistent
expect_usage_error "install the Debian package ffmpeg" --from 1 --to 2 --out "$WORK/x.mp4"
printf '#!/bin/sh\necho "no encoder here" >&2\nexit 1\n' >"$WORK/bin/ffmpeg"
chmod +x "$WORK/bin/ffmpeg"
CAPTURE_PATH="$WORK/bin:$PATH"
expect_usage_error "ffmpeg failed: no encoder here" --from 1 --to 1.01 --size 512x256 --out "$WORK/x.mp4" --quiet
CAPTURE_PATH=$PATH
# Past the end of the music (121 s) in either unit, from any option.
end="the music ends at 16.13 patterns (121.00 s); times are in patterns, or seconds with an s suffix"
expect_usage_error "$end" --at 20 --out "$WORK/x.png"
expect_usage_error "$end" --at 121s --out "$WORK/x.png"
expect_usage_error "$end" --from 16.5 --out "$WORK/d/"
expect_usage_error "$end" --from 16 --to 17 --out "$WORK/d/"
[ "$("$CAPTURE" --version)" = "vorn-capture $(sed -n 's/^project(vorn VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)" ] ||
    fail "--version: $("$CAPTURE" --version)"
# The data/ of the working folder is the one used: without a tune there,
# the tune's message; with a 2 s one (made by lame), its end.
mkdir -p "$WORK/nodata/data"
(cd "$WORK/nodata" && "$CAPTURE" --at 1 --out x.png 2>../nodata.err)
[ $? = 1 ] && grep -q "^data/tune.mp3 not found$" "$WORK/nodata.err" && [ "$(ls -A "$WORK/nodata")" = data ] ||
    fail "missing data: $(cat "$WORK/nodata.err")"
head -c $((2 * 44100 * 2)) /dev/zero |
    lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m - "$WORK/nodata/data/tune.mp3" 2>/dev/null
(cd "$WORK/nodata" && expect_usage_error "the music ends at 0.27 patterns (2.00 s);" --at 0.3 --out x.png) || exit 1
echo "usage errors: ok"

# One frame every 16 rows of the music from row 5: frame 9 is the hit of
# row 149, at full flash; the flash lasts two rows either side, so frames
# 8 and 10 (rows 133, 165) have none of it.
row5=0.078125
"$CAPTURE" --at $row5 --size 512x288 --out "$WORK/a.png" >/dev/null &&
    "$CAPTURE" --at $row5 --size 512x288 --out "$WORK/b.png" >/dev/null &&
    "$CAPTURE" --from $row5 --to 2.65625 --fps 0.5333333333333333 --size 512x288 --out "$WORK/rows/" --quiet >/dev/null ||
    fail "captures from row 5"
cmp -s "$WORK/a.png" "$WORK/b.png" || fail "two captures of one moment differ"
cmp -s "$WORK/a.png" "$WORK/rows/000000.png" || fail "--at T is not the first frame of --from T"
[ "$(ls "$WORK/rows" | wc -l)" = 11 ] || fail "rows: $(ls "$WORK/rows")"
m8=$(mean "$WORK/rows/000008.png") m9=$(mean "$WORK/rows/000009.png") m10=$(mean "$WORK/rows/000010.png")
above "$m9" 0.6 && above "$m9" "$m8" 0.2 && above "$m9" "$m10" 0.2 || fail "flash by frame: $m8 $m9 $m10"
echo "determinism and frame times: ok"

# Started in a folder without data/, the capture reads the data beside
# itself and writes where the relative --out says.
(cd "$WORK" && "$CAPTURE" --at 8 --size 512x288 --out elsewhere.png >/dev/null) && [ -s "$WORK/elsewhere.png" ] ||
    fail "capture started in a folder without data/"
echo "started elsewhere: ok"

# Half a second across the hit of row 149 (17.4609 s): one stream of each
# kind, and the loudest onset of the sound within a frame of the brightest frame.
"$CAPTURE" --from 17.25s --to 17.75s --fps 30 --size 512x288 --out "$WORK/clip.mp4" --quiet >/dev/null || fail "mp4"
streams=$(ffprobe -v error -show_entries stream=codec_type,codec_name,pix_fmt,duration -of csv=p=0 "$WORK/clip.mp4")
[ "$(echo "$streams" | wc -l)" = 2 ] && echo "$streams" | grep -q "^h264,video,yuv420p,0.5000" &&
    echo "$streams" | grep -Eq "^aac,audio,0\.(4[7-9]|5[0-3])" || fail "streams: $streams"
onset=$(ffmpeg -v error -i "$WORK/clip.mp4" -map 0:a -f s16le -ac 1 -ar 44100 - | od -An -v -td2 -w2 |
    awk '{ e[int((NR - 1) / 441)] += $1 * $1 }
         END { for (i = 1; i in e; i++) { r = e[i] / (e[i - 1] + 1e8); if (r > best) { best = r; at = i } } print at / 100 }')
flash=$(ffmpeg -v error -i "$WORK/clip.mp4" -map 0:v -vf scale=1:1:flags=area -f rawvideo -pix_fmt gray - |
    od -An -v -tu1 -w1 | awk '$1 > top { top = $1; at = NR - 1 } END { print at / 30 }')
awk -v a="$onset" -v v="$flash" 'BEGIN { d = a - v; exit !(d * d <= 1 / 900) }' ||
    fail "sound onset at $onset s, flash at $flash s"
echo "mp4 and sync: ok"

line=$("$CAPTURE" --from 8 --to 8.02 --bench --size 512x256 2>/dev/null | tail -n 1)
echo "$line" | grep -Eq "^5 frames in [0-9.]+ s: [0-9.]+ fps$" || fail "bench: $line"
echo "bench: ok"

mkdir "$WORK/stop"
"$CAPTURE" --from 1 --to 3 --size 512x256 --out "$WORK/stop/x.mp4" --quiet >/dev/null 2>&1 &
pid=$!
i=0
while [ ! -e "$WORK/stop/.x.mp4.part" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
kill -INT $pid
wait $pid
status=$?
[ $status = 130 ] && [ -z "$(ls -A "$WORK/stop")" ] || fail "Ctrl-C: status $status, left $(ls -A "$WORK/stop")"
echo "Ctrl-C: ok"
