#!/usr/bin/env bash
# End to end: a walk recorded with F9 in the real viewer (F9, W held for 3 s,
# F9), then drawn by lumora-render on a display smaller than its frames: the
# video's stream, frame count and frames, the same frames from a second
# render, PNG frames, and the outputs a failed or stopped render leaves.
#   render_test.sh LUMORA RENDER LANDSCAPE
# Runs on a display of 1024 x 768 for the viewer; the videos are drawn on a
# virtual display of 320 x 240 of their own, the rest on the first display.
set -uo pipefail
lumora=$1 render=$2 landscape=$3 step=record
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xdrive.sh"

fail() {
  echo "FAIL [$step]: $*"
  [[ -s "$work/stderr" ]] && sed "s/^/  stderr: /" "$work/stderr" | tail -n 20
  [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$landscape" "$work/data" || fail "cannot copy the landscape"
cd "$work"

# --- Record: F9, hold W, F9. The walk is saved in the folder the viewer was
# started from.
xdotool mousemove 400 300 2>/dev/null
"$lumora" --windowed data 2>"$work/stderr" & pid=$!
main=$(xd_wait_window_prefix "Current Frames Per Second: " 30) || fail "no frames"
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key --window "$main" F9
xdotool keydown w; sleep 3; xdotool keyup w
xdotool key --window "$main" F9
for (( tick = 0; tick < 100; tick++ )); do grep -q "saved the walk" "$work/stderr" && break; sleep 0.1; done
xdotool key --window "$main" Escape
wait "$pid"; status=$?; pid=
[[ $status == 0 ]] || fail "exit status $status"
walk=$(ls "$work"/lumora-*.walk 2>/dev/null | head -n 1)
[[ -n $walk && $(basename "$walk") =~ ^lumora-[0-9]{8}-[0-9]{6}\.walk$ ]] || fail "no walk: $(ls "$work")"
grep -qE "^lumora: saved the walk as $walk \([0-9]+\.[0-9] s\)$" "$work/stderr" || fail "no line for $walk"
# The walk's own length decides the frame count; holding W for 3 s makes it about 3 s.
read -r seconds expected < <(awk 'NR == 2 { first = $1 } NR > 1 { last = $1 }
  END { printf "%.3f %d\n", last - first, int((last - first) * 30 + 0.5) }' "$walk")
awk -v s="$seconds" 'BEGIN { exit !(s > 2 && s < 5) }' || fail "the walk lasts $seconds s, not about 3"
echo "recorded $seconds s: $(($(wc -l <"$walk") - 1)) frames; expect $expected at 30 fps"

# --- Two renders of the walk at 640 x 360, on a display smaller than that:
# H.264, the walk's length, the same frames.
step=video
xvfb-run -a -s "-screen 0 320x240x24 -noreset" bash -c '"$0" "$@" walk1.mp4 && "$0" "$@" walk2.mp4' \
  "$render" data "$walk" --size 640x360 2>"$work/stderr" >"$work/stdout" || fail "status $?"
read -r codec width height pixels frames < <(ffprobe -v error -count_frames -select_streams v:0 \
  -show_entries stream=codec_name,width,height,pix_fmt,nb_read_frames -of csv=p=0 "$work/walk1.mp4" | tr ',' ' ')
[[ $codec == h264 && $width == 640 && $height == 360 && $pixels == yuv420p ]] ||
  fail "stream: $codec $width x $height $pixels"
# Every frame the tool reports decodes, the last one too.
reported=$(sed -nE "s|^.*/walk1\.mp4: ([0-9]+) frames .*|\1|p" "$work/stdout")
[[ $reported == "$expected" ]] || fail "the tool reports '$reported' frames, not $expected"
[[ $frames == "$reported" ]] || fail "$frames frames decode, the tool reports $reported"
for run in 1 2; do
  ffmpeg -v error -i "$work/walk$run.mp4" -f framemd5 - | grep -v '^#' >"$work/walk$run.md5"
done
cmp -s "$work/walk1.md5" "$work/walk2.md5" || fail "two renders of the walk differ"
echo "video: $codec $width x $height $pixels, $frames frames, two renders alike"

# --- PNG frames into a folder that does not exist yet: count, size, upright, not black.
step=png
"$render" data "$walk" "$work/frames" --size 320x180 --fps 4 --no-overlay --terrain-error 0.5 \
  2>"$work/stderr" >/dev/null || fail "status $?"
count=$(ls "$work/frames" | grep -cE '^frame-[0-9]{6}\.png$')
(( count == $(awk -v s="$seconds" 'BEGIN { printf "%d", s * 4 + 0.5 }') )) || fail "$count frames for $seconds s at 4 fps"
[[ $(ls -A "$work/frames" | wc -l) == "$count" ]] || fail "more than frames: $(ls -A "$work/frames")"
last=$(ls "$work/frames" | tail -n 1)
[[ $(identify -format "%w x %h" "$work/frames/$last") == "320 x 180" ]] || fail "size of $last"
# The sky above, the ground below: the top is bluer than it is green, the bottom the other way.
picture=$work/frames/$last
read -r top_blue top_green < <(convert "$picture" -crop 100%x20%+0+0 -format "%[fx:mean.b] %[fx:mean.g]\n" info:)
read -r bottom_blue bottom_green < <(convert "$picture" -gravity south -crop 100%x20%+0+0 \
  -format "%[fx:mean.b] %[fx:mean.g]\n" info:)
awk -v tb="$top_blue" -v tg="$top_green" -v bb="$bottom_blue" -v bg="$bottom_green" \
  'BEGIN { exit !(tb > tg && bg > bb && bg > 0.1) }' ||
  fail "not upright, or black: top b $top_blue g $top_green, bottom b $bottom_blue g $bottom_green"
echo "png: $count frames of 320 x 180, upright"
# A fine ground's error is a number of pixels above 0, as in the other tools.
for value in 0 -1 2px; do
  "$render" data "$walk" "$work/never.mp4" --terrain-error "$value" 2>"$work/stderr" >/dev/null; status=$?
  [[ $status == 2 ]] || fail "--terrain-error $value: status $status"
  grep -qx "lumora-render: --terrain-error needs a number of pixels above 0" "$work/stderr" ||
    fail "--terrain-error $value: $(head -n 1 "$work/stderr")"
done

# --- An OUT that cannot be written: no folder, no permission (sysfs refuses
# even root), a disk that fills up while drawing (a file-size limit on the
# render alone): one line, status 1, nothing under OUT's name.
step=unwritable
for out in "$work/missing/walk.mp4" /sys/lumora-walk.mp4 /sys/lumora-frames "$work/full.mp4"; do
  limit=unlimited
  [[ $out == */full.mp4 ]] && limit=2 # KiB
  (ulimit -f "$limit"; exec "$render" data "$walk" "$out" --size 64x36 2>"$work/stderr" >/dev/null)
  status=$?
  [[ $status == 1 && $(wc -l <"$work/stderr") == 1 ]] || fail "$out: status $status"
  grep -q "^lumora-render: cannot write $out: " "$work/stderr" || fail "$out: $(cat "$work/stderr")"
  [[ ! -e $out && -z $(ls -A "$(dirname "$out")" 2>/dev/null | grep -E 'lumora-(walk|frames)|full') ]] ||
    fail "$out: something was written"
done

# --- Walks that cannot serve, refused before anything is drawn: a pipe (never
# waited on) and a file larger than the longest walk the viewer records
# (refused by its size, unread): one line naming the file, status 1.
step=bad-walk
mkfifo "$work/pipe.walk"
truncate -s 30000000 "$work/huge.walk"
for bad in "pipe:is not a regular file (a folder, pipe, device or socket)" \
  "huge:is larger than the longest walk the viewer records (216000 frames, at most 25704064 bytes)"; do
  name=${bad%%:*}
  timeout 20 "$render" data "$work/$name.walk" "$work/$name.mp4" 2>"$work/stderr" >/dev/null
  status=$?
  [[ $status == 1 && ! -e $work/$name.mp4 ]] || fail "$name: status $status"
  [[ $(cat "$work/stderr") == "lumora-render: $work/$name.walk: ${bad#*:}" ]] || fail "$name: the line"
done

# --- Ctrl+C and a hang-up while drawing, two renders side by side: status
# 128 + the signal, no output and no partial file left.
step=interrupt
declare -A runners
for signal in INT HUP; do
  "$render" data "$walk" "$work/stopped-$signal.mp4" --size 640x360 --fps 240 2>"$work/stderr-$signal" &
  runners[$signal]=$!
done
for (( tick = 0; tick < 100; tick++ )); do
  [[ $(ls -A "$work" | grep -c '^\.stopped') == 2 ]] && break; sleep 0.1
done
[[ $(ls -A "$work" | grep -c '^\.stopped') == 2 ]] || fail "the renders did not start: $(ls -A "$work")"
sleep 1 # into the start-up or the frames: either way the render stops
for signal in INT HUP; do kill -$signal "${runners[$signal]}"; done
for signal in INT HUP; do
  wait "${runners[$signal]}"; status=$?
  [[ $status == $((128 + $(kill -l $signal))) ]] || fail "status $status after SIG$signal"
done
[[ -z $(ls -A "$work" | grep stopped) ]] || fail "left behind: $(ls -A "$work")"
echo "PASS"
