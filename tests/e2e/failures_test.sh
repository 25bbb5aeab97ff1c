#!/usr/bin/env bash
# End-to-end checks of the start-up failures: the real lumora binary on a
# virtual display, started in a generated data folder with one thing wrong.
# Each scenario counts the "Error" boxes (the X11 boxes cannot be read back, so
# their title finds them), dismisses them with Return and checks what follows.
# Their texts are read in a second run where no box can be shown.
#   failures_test.sh "SCENARIO..." LUMORA OUTDIR LANDSCAPE
# LANDSCAPE is a generated landscape; each scenario works on copies of it.
# Scenarios given together share the control run on the whole landscape.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xdrive.sh"
frames="Current Frames Per Second: "

# failures_test.sh --error-lines FOLDER LUMORA, on a display that cannot show
# boxes: runs the viewer in FOLDER until it ends or draws its first frame, and
# prints the lines its "Error" boxes left on standard error.
if [[ "$1" == --error-lines ]]; then
  cd "$2" || exit 1
  "$3" --windowed 2>stderr & pid=$!
  # A sanitized start-up on a loaded machine can take many seconds; the loop
  # ends as soon as the viewer does or draws.
  for (( tick = 0; tick < 600; tick++ )); do
    kill -0 "$pid" 2>/dev/null || break
    main=$(xd_window_title_prefix "$frames")
    [[ -n "$main" ]] && { xdotool key --window "$main" Escape 2>/dev/null; break; }
    sleep 0.1
  done
  for (( tick = 0; tick < 100; tick++ )); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  grep '^lumora: Error: ' stderr
  exit 0
fi

scenarios=$1 lumora=$2 outdir=$3 landscape=$4 scenario=start

fail() {
  echo "FAIL [$scenario]: $*"
  [[ -s "$work/stderr" ]] && sed "s/^/  viewer: /" "$work/stderr" | tail -n 20
  [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$landscape" "$work/good" || fail "cannot copy the landscape"

# Starts the viewer in a window in folder $1, the cursor where the camera
# keeps it, so that the first frames do not turn the view.
start_viewer() {
  xdotool mousemove 400 300 2>/dev/null
  (cd "$1" && exec "$lumora" --windowed 2>"$work/stderr") & pid=$!
}

# Waits up to $1 seconds for the viewer to end; sets status to its exit status.
wait_exit() {
  local tick=0
  while kill -0 "$pid" 2>/dev/null; do
    (( tick++ > ${1:-10} * 10 )) && fail "lumora did not end within ${1:-10} s"
    sleep 0.1
  done
  wait "$pid"; status=$?
  pid=
}

# Checks that the viewer draws frames, takes a screenshot into $1 after $2
# seconds, and ends it with Escape: status 0.
shoot_and_quit() {
  local main title
  main=$(xd_wait_window_prefix "$frames" 1) || fail "no frames after the boxes"
  sleep "$2"
  title=$(xd_title "$main")
  [[ "$title" =~ ^Current\ Frames\ Per\ Second:\ [1-9][0-9]*$ ]] || fail "title '$title'"
  xd_shot "$1"
  xdotool key --window "$main" Escape 2>/dev/null
  wait_exit
  [[ "$status" == 0 ]] || fail "exit status $status after Escape"
}

# Runs the viewer in folder $1, expecting $2 "Error" boxes and then frames;
# leaves a screenshot in $3 taken $4 seconds after the boxes.
run_expecting_frames() {
  start_viewer "$1"
  boxes=$(xd_dismiss_errors "$pid" "$frames" 35 1)
  [[ "$boxes" == "$2" ]] || fail "$boxes \"Error\" boxes in $(basename "$1"), want $2"
  kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "lumora ended (status $?) instead of running: $(cat "$work/stderr")"; }
  shoot_and_quit "$3" "${4:-0.5}"
}

# Runs the viewer in folder $1, expecting one "Error" box and then the end of
# the process with status 0, before any frame.
run_expecting_end() {
  start_viewer "$1"
  boxes=$(xd_dismiss_errors "$pid" "$frames" 35 1)
  [[ -z "$(xd_window_title_prefix "$frames")" ]] || fail "a frame was drawn"
  [[ "$boxes" == 1 ]] || fail "$boxes \"Error\" boxes, want 1"
  wait_exit 5
  [[ "$status" == 0 ]] || fail "exit status $status, want 0"
}

# The bytes of BMP file $1 with its 40-byte info header grown to the 108-byte
# form (the colour-space fields zero) and the pixel offset moved to match.
with_108_byte_header() {
  local offset
  offset=$(od -An -tu4 -j10 -N4 "$1" | tr -d ' ')
  offset=$((offset + 68))
  head -c 10 "$1"
  printf "\\x$(printf %02x $((offset & 255)))\\x$(printf %02x $((offset >> 8 & 255)))\\x$(printf %02x $((offset >> 16 & 255)))\\x$(printf %02x $((offset >> 24)))"
  printf '\x6c\x00\x00\x00'
  tail -c +19 "$1" | head -c 36
  head -c 68 /dev/zero
  tail -c +55 "$1"
}

# The texts of the boxes that folder $1 gives, where the platform lets them be
# read: on a display without the X core fonts each box leaves its line on
# standard error ("lumora: TITLE: TEXT") and answers as dismissed. Fails
# unless there is one line and it matches pattern $2.
expect_error_line() {
  local lines
  lines=$(xvfb-run -a -s "-screen 0 800x600x24 -noreset -fp built-ins" bash "$here/failures_test.sh" --error-lines "$1" "$lumora")
  # shellcheck disable=SC2053 # $2 is a pattern
  [[ "$lines" == $2 && "$lines" != *$'\n'* ]] || fail "box texts '$lines', want one line '$2'"
}

# The control: a screenshot of the whole landscape in $work/good.png, taken
# as run_expecting_frames takes the others; once for all the scenarios.
control_run() {
  [[ -f "$work/good.png" ]] || run_expecting_frames "$work/good" 0 "$work/good.png"
}

# Leaves the scenario's screenshot and its control beside the other tests'.
keep_pictures() {
  cp "$work/bad.png" "$outdir/e2e-failure-$scenario.png"
  cp "$work/good.png" "$outdir/e2e-failure-$scenario-control.png"
}

for scenario in $scenarios; do
rm -rf "$work/bad" && cp -r "$work/good" "$work/bad"
case "$scenario" in
no-height-map)
  # Without the height file the ground is flat at height 0: the same picture
  # as a height file of zeros.
  rm "$work/bad/Tertest.raw"
  expect_error_line "$work/bad" "lumora: Error: Can't find the height map!"
  run_expecting_frames "$work/bad" 1 "$work/missing.png"
  cp -r "$work/good" "$work/flat" && head -c 1048576 /dev/zero >"$work/flat/Tertest.raw"
  run_expecting_frames "$work/flat" 0 "$work/flat.png"
  cp "$work/missing.png" "$outdir/e2e-failure-$scenario.png"
  cp "$work/flat.png" "$outdir/e2e-failure-$scenario-control.png"
  spread=$(xd_spread "$work/missing.png" 800x600+0+0)
  (( spread > 30 )) || fail "the flat scene is blank (grey spread $spread/1000)"
  changed=$(xd_changed_pixels "$work/missing.png" "$work/flat.png")
  (( changed < 480000 / 20 )) || fail "$changed pixels differ from a scene on zero heights"
  echo "PASS [$scenario]: one box, flat scene ($changed pixels from zero heights), exit 0"
  ;;
no-sky-top)
  # The top face draws untextured: looking up, it is one plain colour (its
  # picture gives the same part of the view a grey spread of about 165/1000).
  rm "$work/bad/hillTop.bmp"
  expect_error_line "$work/bad" "lumora: Error: Unable to load BMP File!"
  start_viewer "$work/bad"
  boxes=$(xd_dismiss_errors "$pid" "$frames" 35 1)
  [[ "$boxes" == 1 ]] || fail "$boxes \"Error\" boxes, want 1"
  # Three moves of 150 pixels tilt the view up by 0.9 radians, short of the
  # 1-radian limit: the top face fills the top of the picture. Each move is
  # taken once the viewer has put the cursor back at the centre.
  for _ in 1 2 3; do
    xdotool mousemove 400 150
    for (( tick = 0; tick < 100; tick++ )); do
      [[ $(xdotool getmouselocation) == "x:400 y:300 "* ]] && break
      sleep 0.1
    done
  done
  shoot_and_quit "$work/bad.png" 0.5
  cp "$work/bad.png" "$outdir/e2e-failure-$scenario.png"
  plain=$(xd_spread "$work/bad.png" 400x100+200+0)
  (( plain <= 5 )) || fail "the top face is not plain (grey spread $plain/1000)"
  echo "PASS [$scenario]: one box, the top face plain (grey spread $plain/1000), exit 0"
  ;;
detail-108)
  # A 108-byte header is refused; the terrain draws without its detail.
  with_108_byte_header "$work/good/Detail1.bmp" >"$work/bad/Detail1.bmp"
  expect_error_line "$work/bad" "lumora: Error: Unknown DIB file format."
  run_expecting_frames "$work/bad" 1 "$work/bad.png"
  control_run
  keep_pictures
  ground=800x250+0+350
  changed=$(xd_changed_pixels "$work/bad.png" "$work/good.png" "$ground")
  (( changed > 200000 / 20 )) || fail "only $changed ground pixels differ from the detailed terrain"
  echo "PASS [$scenario]: one box, $changed ground pixels without detail, exit 0"
  ;;
no-flyer-sprite)
  rm "$work/bad/busch2.tga"
  expect_error_line "$work/bad" "lumora: Error: Unable to load TGA File!"
  run_expecting_end "$work/bad"
  echo "PASS [$scenario]: one box, status 0 before any frame"
  ;;
flat-flyer-sprite)
  # A sprite of width 0 has no pixels to make a texture of: the texture build
  # fails, no box is shown, and the flyers draw untextured while the viewer
  # runs on.
  printf '\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80\x00\x20\x08' >"$work/bad/busch2.tga"
  run_expecting_frames "$work/bad" 0 "$work/bad.png" 1
  cp "$work/bad.png" "$outdir/e2e-failure-$scenario.png"
  echo "PASS [$scenario]: no box, frames drawn, exit 0"
  ;;
no-mesh-texture)
  # The palms' bark is named by every palm mesh; the first that needs it ends
  # the run.
  rm "$work/bad/palmBark.bmp"
  expect_error_line "$work/bad" "lumora: Error: Failed to open DIB file palmBark.bmp."
  run_expecting_end "$work/bad"
  echo "PASS [$scenario]: one box, status 0 before any frame"
  ;;
no-mesh-file)
  # Without the mesh of one palm kind those palms are gone, and the viewer
  # runs on.
  rm "$work/bad/palmect.vxm"
  expect_error_line "$work/bad" "lumora: Error: *palmect.vxm*"
  run_expecting_frames "$work/bad" 1 "$work/bad.png"
  control_run
  keep_pictures
  changed=$(xd_changed_pixels "$work/bad.png" "$work/good.png")
  # Two runs on the same data differ by a few hundred pixels (the flyers).
  (( changed > 480000 / 100 )) || fail "only $changed pixels differ from the scene with all palms"
  echo "PASS [$scenario]: one box, the scene without those palms ($changed pixels), exit 0"
  ;;
*)
  fail "unknown scenario"
  ;;
esac
done
