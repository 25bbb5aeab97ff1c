#!/usr/bin/env bash
# End-to-end checks of the viewer on a desktop: a 1280 x 1024 virtual display
# with a window manager (openbox), the viewer in a window. The pointer is held
# at the centre of the client area wherever the window is, and only while the
# window has the focus; the window's own changes never turn the view.
#   desktop_test.sh "SCENARIO..." LUMORA OUTDIR LANDSCAPE
# The scenarios run in the order given, in one viewer where they can: each
# starts one if none is running and leaves it running for the next, which
# takes it as the user left it. LANDSCAPE is a generated landscape, copied for
# the viewer to show.
set -uo pipefail
scenarios=$1 lumora=$2 outdir=$3 landscape=$4 scenario=start
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xdrive.sh"
source "$here/picture_change.sh"

pid="" wm="" other=""
stop() { local p; for p in $pid $other $wm; do kill "$p" 2>/dev/null; done; }
fail() { echo "FAIL [$scenario]: $*"; stop; exit 1; }
work=$(mktemp -d)
trap 'stop; rm -rf "$work"' EXIT
cp -r "$landscape" "$work/data" || fail "cannot copy the landscape"
cd "$work/data"

# The window's own properties are looked at before any window manager could
# have set them.
if [[ "$scenarios" != identity ]]; then
  openbox --sm-disable >/dev/null 2>&1 & wm=$!
  for (( tick = 0; tick < 100; tick++ )); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  (( tick < 100 )) || fail "openbox did not start"
fi

# Starts the viewer in a window and waits for its frames and, unless $1 is
# "frames", for the opening captions, which change the picture on their own,
# to pass; sets main.
start_viewer() {
  "$lumora" --windowed 2>"$work/stderr" & pid=$!
  main=$(xd_wait_window_prefix "Current Frames Per Second: " 30) || fail "no frames-per-second title: $(cat "$work/stderr")"
  [[ "${1:-}" == frames ]] || sleep 5
}

# Saves the screen's picture of the scenario beside the other tests'.
keep_picture() { convert "$1" "$outdir/e2e-desktop-$scenario.png" 2>/dev/null; }

# The client area's "X Y W H" and its centre, read now.
where() { read -r x y w h < <(xd_geometry "$main"); cx=$((x + w / 2)) cy=$((y + h / 2)); }

# A screenshot of the client area where it is now; prints its file name.
shot() {
  local file; file=$(mktemp --suffix=.ppm "$work/shot.XXXXXX")
  where; import -window root -crop "${w}x${h}+${x}+${y}" +repage "$file" 2>/dev/null
  echo "$file"
}
# Waits up to 5 s for the pointer to be at ($1, $2).
expect_pointer_at() {
  local tick
  for (( tick = 0; tick < 50; tick++ )); do
    [[ "$(pointer)" == "$1 $2" ]] && return 0
    sleep 0.1
  done
  fail "$3: the pointer is at ($(pointer)), not ($1, $2)"
}

# Moves the pointer $1 pixels to the right and waits for the viewer to put it
# back at the centre.
move_and_wait_for_put_back() {
  xdotool mousemove_relative "$1" 0
  expect_pointer_at "$cx" "$cy" "after a pointer move"
}

report=""
for scenario in $scenarios; do
case "$scenario" in
moved)
  # Away from the screen's origin, a move inside the window turns the view and
  # the pointer goes back inside it; a right click then zooms.
  [[ -n "$pid" ]] || start_viewer
  xdotool windowmove --sync "$main" 400 350; xdotool windowactivate --sync "$main"; sleep 1
  where; (( x >= 400 && y >= 350 )) || fail "the window is at ($x, $y) after the move"
  expect_pointer_at "$cx" "$cy" "after the move"
  measure_idle
  change_of move_and_wait_for_put_back 60
  expect_changed "$changed" "a pointer move in the window"
  report+="turned $changed, "
  change_of xdotool click 3
  expect_changed "$changed" "a right click"
  report+="zoomed $changed, "
  ;;
unfocused)
  # With another window focused the pointer is the user's, and the view stays;
  # with the focus back, mouse look resumes without a turn. The other window
  # is closed at the end, so that it lies over no later scenario's window.
  [[ -n "$pid" ]] || start_viewer
  xlogo -geometry 200x200+1050+800 2>/dev/null & other=$!
  logo=$(timeout 20 xdotool search --sync --onlyvisible --classname xlogo | head -1)
  [[ -n "$logo" ]] || fail "no xlogo window"
  xdotool windowactivate --sync "$logo"; sleep 0.5
  measure_idle
  where
  change_of xdotool mousemove $((cx + 150)) $((cy + 60))
  expect_unchanged "$changed" "a pointer move over the unfocused window"
  [[ "$(pointer)" == "$((cx + 150)) $((cy + 60))" ]] || fail "the pointer was moved to ($(pointer))"
  report+="unfocused $changed, "
  change_of xdotool windowactivate --sync "$main"
  expect_unchanged "$changed" "the focus coming back"
  expect_pointer_at "$cx" "$cy" "with the focus back"
  report+="focus back $changed, "
  kill "$other"; wait "$other" 2>/dev/null; other=""
  ;;
move-maximise)
  [[ -n "$pid" ]] || start_viewer
  xdotool windowactivate --sync "$main"; sleep 0.5
  measure_idle
  before=$(shot)
  xdotool windowmove --sync "$main" 300 200; sleep 1
  changed=$(xd_changed_pixels "$before" "$(shot)")
  expect_unchanged "$changed" "a move of the window"
  report+="moved $changed, "
  wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz; sleep 1.5
  where; (( w > 1000 )) || fail "the window was not maximised: ${w} x ${h}"
  expect_pointer_at "$cx" "$cy" "maximised"
  wmctrl -i -r "$main" -b remove,maximized_vert,maximized_horz; sleep 1.5
  changed=$(xd_changed_pixels "$before" "$(shot)")
  expect_unchanged "$changed" "a maximise and its undoing"
  report+="maximised and back $changed, "
  ;;
identity)
  # A normal top-level window of the desktop entry's class, with its icon,
  # set before the first frame: the captions need not pass.
  [[ -n "$pid" ]] || start_viewer frames
  properties=$(xprop -id "$main" WM_CLASS WM_TRANSIENT_FOR _NET_WM_ICON | head -3)
  [[ "$properties" == *'WM_CLASS(STRING) = "lumora", "Lumora"'* ]] || fail "class: $properties"
  [[ "$properties" == *'WM_TRANSIENT_FOR:  not found.'* ]] || fail "transient: $properties"
  [[ "$properties" == *'_NET_WM_ICON(CARDINAL) = '*'Icon (64 x 64)'* ]] || fail "icon: $properties"
  report+="class, no transient, icon, "
  ;;
start-pointer)
  # Starts with the pointer in a corner and far outside the window show the
  # same start. The second viewer runs on for the next scenario.
  [[ -z "$pid" ]] || fail "a viewer is already running"
  shots=()
  for place in "3 3" "1270 1010"; do
    xdotool mousemove $place
    start_viewer
    measure_idle
    shots+=("$(shot)")
    [[ $place == "1270 1010" ]] && break
    xdotool key --window "$main" Escape
    wait "$pid"; pid=""
  done
  changed=$(xd_changed_pixels "${shots[0]}" "${shots[1]}")
  expect_unchanged "$changed" "the start with the pointer at (3, 3) and at (1270, 1010)"
  report+="differ $changed, "
  ;;
fullscreen-desktop)
  # Full screen at the desktop's own size: the window covers the screen and
  # the display's modes stay as they were, during the run and after it; F12
  # at half the render scale saves what the window shows, at its size.
  [[ -z "$pid" ]] || fail "a viewer is already running"
  modes=$(xrandr 2>&1)
  [[ "$modes" == *" connected "* ]] || fail "xrandr reads no display: $modes"
  "$lumora" --fullscreen-desktop --render-scale 0.5 2>"$work/stderr" & pid=$!
  main=$(xd_wait_window_prefix "Current Frames Per Second: " 30) || fail "no frames-per-second title: $(cat "$work/stderr")"
  sleep 2
  where; [[ "$x $y $w $h" == "0 0 1280 1024" ]] || fail "the window covers $w x $h at ($x, $y), not the screen"
  [[ "$(xrandr 2>&1)" == "$modes" ]] || fail "the display's modes changed during the run: $(xrandr 2>&1)"
  xdotool key --window "$main" F12
  for (( tick = 0; tick < 100; tick++ )); do
    grep -q "saved the frame as" "$work/stderr" && break
    sleep 0.1
  done
  saved=$(sed -n 's/^lumora: saved the frame as //p' "$work/stderr")
  [[ -f "$saved" && $(identify -format "%w x %h" "$saved") == "1280 x 1024" ]] ||
    fail "F12 saved '$saved' ($(identify -format "%w x %h" "$saved" 2>&1))"
  (( $(xd_spread "$saved" 1280x1024+0+0) > 20 )) || fail "the saved frame is plain"
  xdotool key --window "$main" Escape
  wait "$pid"; status=$?; pid=""
  [[ $status == 0 ]] || fail "exit status $status: $(cat "$work/stderr")"
  [[ "$(xrandr 2>&1)" == "$modes" ]] || fail "the display's modes changed after the run: $(xrandr 2>&1)"
  keep_picture "$saved"
  report+="covers 1280 x 1024, modes unchanged, F12 at scale 0.5 saved 1280 x 1024, "
  ;;
*)
  fail "unknown scenario"
  ;;
esac
[[ -n "$pid" ]] && keep_picture "$(shot)"
echo "PASS [$scenario]: ${report}idle $idle"
report=""
done
if [[ -n "$pid" ]]; then
  scenario=end
  xdotool key --window "$main" Escape
  wait "$pid"; status=$?; pid=""
  [[ $status == 0 ]] || fail "exit status $status: $(cat "$work/stderr")"
fi
