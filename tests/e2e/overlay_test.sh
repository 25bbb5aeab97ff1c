#!/usr/bin/env bash
# End-to-end check of the overlay on the real lumora binary, on the virtual
# display it is given: start in a window on a generated landscape and look at
# the screen while the opening captions show and again 5 seconds later; then
# F3 shows the readout of where you stand, and a second F3 leaves the picture
# exactly as it was before the first.
#   overlay_test.sh LUMORA X_COUNT_PIXELS OUTDIR LANDSCAPE
# Boxes are screen pixels from the top left; the window's client area sits at
# (0, 0), 800 x 600, and a raster position (x, y) of the overlay's pixel grid
# is the screen point (x, 600 - y). Glyphs stand on it, so each box spans the
# 28 rows above a baseline.
set -uo pipefail
lumora=$1 count=$2 outdir=$3 landscape=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xdrive.sh"

pid=
fail() {
  echo "FAIL [overlay]: $*"
  [[ -s "$data/stderr" ]] && sed "s/^/  viewer: /" "$data/stderr" | tail -n 20
  exit 1
}
data=$(mktemp -d)
trap '[[ -n "$pid" ]] && kill "$pid" 2>/dev/null; rm -rf "$data"' EXIT
cp -r "$landscape/." "$data" || fail "cannot copy the landscape"
cd "$data"
# Wholly transparent flyers: the alpha test drops every pixel of theirs, so
# the only thing on the screen that changes by itself is the clock. A TGA
# header (32 bits, 128 x 128) and zero pixels.
{ printf '\0\0\2\0\0\0\0\0\0\0\0\0\200\0\200\0\40\10'; head -c $((128 * 128 * 4)) /dev/zero; } >busch2.tga
# A damaged geographic reference: one line says so, and the readout has none.
echo '{"format": "lumora-geo", "version": 1' >landscape.geo.json

# name x y width height
glyph_boxes=(
  "counter 40 542 30 28"
  "clock 40 512 110 28"
  "N 680 452 30 28"
  "S 680 542 30 28"
  "W 620 497 40 28"
  "O 740 497 35 28"
  "+ 680 497 30 28"
)
caption_boxes=(
  "caption-1 240 272 270 28"
  "caption-2 120 302 500 28"
  "caption-3 40 332 620 28"
)
# The red point of a view along +x, with room for the small turn a first
# cursor reading far from the centre can give.
point_box="630 500 22 22"
clock_box="40 512 110 28"
readout_box="0 0 520 50"

boxes_of() { local entry; for entry in "$@"; do echo -n " ${entry#* }"; done; }

# The cursor starts where the camera keeps it, (400, 300), so that the view
# stays along +x.
xdotool mousemove 400 300 2>/dev/null
"$lumora" --windowed 2>"$data/stderr" & pid=$!
main=$(xd_wait_window_prefix "Current Frames Per Second: " 20) || fail "no frame clock within 20 s"
# The title comes with the first tick, before the first picture is shown.
waited=0
until (( $("$count" white ${glyph_boxes[0]#* }) >= 40 )); do
  (( waited++ > 50 )) && fail "no overlay on the screen within 5 s of the first frame"
  sleep 0.1
done

# In the first seconds of the clock everything shows, captions included.
read -r -a early_glyphs < <("$count" white $(boxes_of "${glyph_boxes[@]}"))
read -r -a early_captions < <("$count" white $(boxes_of "${caption_boxes[@]}"))
early_red=$("$count" red $point_box)
early_clock=$("$count" hash $clock_box)
import -window root "$outdir/e2e-overlay-start.png" 2>/dev/null

for i in "${!glyph_boxes[@]}"; do
  name=${glyph_boxes[$i]%% *}
  (( early_glyphs[i] >= 40 )) || fail "$name: ${early_glyphs[$i]} white pixels at its place"
done
for i in "${!caption_boxes[@]}"; do
  name=${caption_boxes[$i]%% *}
  (( early_captions[i] >= 300 )) || fail "$name: ${early_captions[$i]} white pixels in the first seconds"
done
(( early_red >= 10 )) || fail "no red point next to W ($early_red red pixels)"

sleep 5
read -r -a late_glyphs < <("$count" white $(boxes_of "${glyph_boxes[@]}"))
read -r -a late_captions < <("$count" white $(boxes_of "${caption_boxes[@]}"))
late_clock=$("$count" hash $clock_box)
import -window root "$outdir/e2e-overlay-later.png" 2>/dev/null

# F3, and F3 again: the readout shows at the top left, hides nothing else, and
# once hidden the picture is the one before it. Checksums of the readout's box
# and of the rest of the client area but the clock, which alone changes.
wait_readout() { # up to 5 s, until the white pixels in its box satisfy $1
  local tries=0
  until (( $("$count" white $readout_box) $1 )); do (( tries++ > 50 )) && return 1; sleep 0.1; done
}
elsewhere="520 0 280 50  0 50 800 450  0 500 30 100  200 500 600 100  30 548 170 52"
before_white=$("$count" white $readout_box)
(( before_white < 100 )) || fail "the readout shows before F3 ($before_white white pixels at the top left)"
before=$("$count" hash $readout_box $elsewhere)
xdotool key --window "$main" F3 2>/dev/null
wait_readout ">= 300" || fail "F3: no readout at the top left within 5 s"
shown=$("$count" hash $readout_box $elsewhere)
xdotool key --window "$main" F3 2>/dev/null
wait_readout "<= before_white" || fail "a second F3 left the readout on the screen"
hidden=$("$count" hash $readout_box $elsewhere)
xdotool key --window "$main" Escape 2>/dev/null
waited=0
while kill -0 "$pid" 2>/dev/null; do
  (( waited++ > 100 )) && fail "lumora did not end within 10 s"
  sleep 0.1
done
wait "$pid"; status=$?; pid=
[[ "$status" == 0 ]] || fail "exit status $status"

for i in "${!glyph_boxes[@]}"; do
  name=${glyph_boxes[$i]%% *}
  (( late_glyphs[i] >= 40 )) || fail "$name: ${late_glyphs[$i]} white pixels after 5 s"
done
[[ "$early_clock" != "$late_clock" ]] || fail "the clock did not move in 5 s"
for i in "${!caption_boxes[@]}"; do
  name=${caption_boxes[$i]%% *}
  # The scene behind may hold a few pure white pixels of its own.
  (( late_captions[i] * 10 < early_captions[i] )) ||
    fail "$name: still ${late_captions[$i]} of ${early_captions[$i]} white pixels after 5 s"
done
[[ $hidden == "$before" ]] || fail "F3 twice changed the picture: checksums $before, then $hidden"
[[ ${shown#* } == "${before#* }" ]] || fail "the readout changed the picture outside its box: $before, then $shown"
line="lumora: cannot use $data/landscape.geo.json: it is not JSON: .*; the readout shows no geographic reference"
[[ $(grep -c "landscape.geo.json" "$data/stderr") == 1 ]] && grep -qx "$line" "$data/stderr" ||
  fail "the damaged reference is not named in one line"
echo "PASS [overlay]: glyphs (${early_glyphs[*]}), captions (${early_captions[*]}) then (${late_captions[*]}), red $early_red," \
     "readout shown and gone again, exit 0"
