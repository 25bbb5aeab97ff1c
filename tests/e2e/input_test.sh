#!/usr/bin/env bash
# End-to-end checks of the input bindings: the real lumora binary on a virtual
# display, driven through xdotool as a user would. One viewer goes through the
# scenarios in the order given; each leaves the view as a user would find it
# after trying that binding, and an ending scenario (escape, close) comes last.
# A binding shows in the picture: each check compares screenshots taken
# before and after the input with two taken the same time apart without it,
# since the flyers and the clock change the picture on their own.
#   input_test.sh "SCENARIO..." LUMORA X_CLOSE_WINDOW OUTDIR LANDSCAPE
# LANDSCAPE is a generated landscape; the viewer runs on a copy of it.
set -uo pipefail
scenarios=$1 lumora=$2 xclose=$3 outdir=$4 landscape=$5 scenario=start
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xdrive.sh"
source "$here/picture_change.sh"

fail() {
  echo "FAIL [$scenario]: $*"
  [[ -s "$work/stderr" ]] && sed "s/^/  viewer: /" "$work/stderr" | tail -n 20
  [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$landscape" "$work/data" || fail "cannot copy the landscape"
cd "$work/data"

# The cursor starts where the camera keeps it, so the first frames do not turn the view.
xdotool mousemove 400 300 2>/dev/null
"$lumora" --windowed 2>"$work/stderr" & pid=$!
main=$(xd_wait_window_prefix "Current Frames Per Second: " 20) || fail "no frames-per-second title"
xdotool windowfocus --sync "$main" 2>/dev/null
# The opening captions show for the first 4 seconds; they would change the
# picture on their own.
sleep 5

# Takes a screenshot (uncompressed, so quick to write); prints its file name.
shot() { local file; file=$(mktemp --suffix=.ppm "$work/shot.XXXXXX"); xd_shot "$file"; echo "$file"; }

# Runs the command "$@" between two screenshots a second apart, as for the
# idle change; sets changed and after likewise.
settle_of() {
  local first
  first=$(shot); "$@"; sleep 1; after=$(shot)
  changed=$(xd_changed_pixels "$first" "$after")
}

# Waits up to 4 s for the picture to come back close to screenshot $1, which
# the input had changed by $2 pixels: within a third of that. Sets back to the
# pixels that still differ.
expect_back_to() {
  local tries=0
  while :; do
    sleep 0.2
    back=$(xd_changed_pixels "$1" "$(shot)")
    (( back * 3 < $2 )) && return 0
    (( ++tries < 20 )) || fail "$3: $back pixels still differ from before, $2 had changed"
  done
}

# A held key is polled once a frame, so it is held for a few frames.
hold() { xdotool keydown "$1"; sleep "${2:-0.7}"; xdotool keyup "$1"; }
tap() { xdotool key "$1"; }

# The title still shows a frame count, so frames kept coming.
expect_counting() {
  local title
  title=$(xd_title "$main")
  [[ "$title" =~ ^Current\ Frames\ Per\ Second:\ [1-9][0-9]*$ ]] || fail "title '$title' after $1"
}

# Ends the viewer through $@; expects status 0.
expect_end() {
  "$@"
  local tick=0
  while kill -0 "$pid" 2>/dev/null; do
    (( tick++ > 100 )) && fail "lumora did not end within 10 s"
    sleep 0.1
  done
  wait "$pid"; status=$?
  pid=
  [[ "$status" == 0 ]] || fail "exit status $status"
}

for scenario in $scenarios; do
  [[ -n "$pid" ]] || fail "the viewer has already ended"
  after="" report=""
  [[ "$scenario" == escape || "$scenario" == close ]] || measure_idle
  case "$scenario" in
  walk-forward|walk-backward|step-left|step-right)
    case "$scenario" in
      walk-forward) keys="w Up" ;; walk-backward) keys="s Down" ;;
      step-left) keys="a Left" ;; step-right) keys="d Right" ;;
    esac
    for key in $keys; do
      change_of hold "$key"
      expect_changed "$changed" "holding $key"
      expect_counting "holding $key"
      report+="$key $changed, "
    done
    ;;
  mouse-look)
    for target in "520 300" "280 300" "400 220" "400 380"; do
      change_of xdotool mousemove $target
      expect_changed "$changed" "the cursor moved to ($target)"
      read -r x y < <(pointer)
      [[ "$x $y" == "400 300" ]] || fail "after a move to ($target) the cursor is at ($x, $y), not (400, 300)"
      report+="($target) $changed, "
      # With the pointer still, the view stays where the move turned it.
      settle_of true
      expect_unchanged "$changed" "the view after the move to ($target)"
    done
    ;;
  crouch)
    before=$(shot)
    change_of hold c 0.5
    expect_changed "$changed" "the first press of C"
    crouched=$changed
    settle_of true
    expect_unchanged "$changed" "the crouch after C was released"
    # The second press stands the viewer up when the key is released.
    hold c 0.5
    expect_back_to "$before" "$crouched" "the second press of C"
    report="crouched $crouched, back $back, "
    ;;
  wireframe)
    before=$(shot)
    change_of tap space
    expect_changed "$changed" "Space"
    wire=$changed
    settle_of true
    expect_unchanged "$changed" "the wireframe after Space"
    tap Return
    expect_back_to "$before" "$wire" "Enter after Space"
    report="wireframe $wire, filled again $back, "
    ;;
  zoom)
    before=$(shot)
    change_of xdotool click 3
    expect_changed "$changed" "the first right click"
    xdotool click 3
    expect_back_to "$before" "$changed" "the second right click"
    report="zoomed $changed, back $back, "
    ;;
  minimise)
    # Zoomed, minimised and restored: back at the normal field of view. Without
    # a window manager the window is minimised by unmapping it.
    before=$(shot)
    change_of xdotool click 3
    expect_changed "$changed" "the right click"
    xdotool windowunmap --sync "$main"; sleep 0.5; xdotool windowmap --sync "$main"
    expect_back_to "$before" "$changed" "minimising and restoring while zoomed"
    report="zoomed $changed, restored $back, "
    ;;
  left-button)
    settle_of xdotool click 1
    expect_unchanged "$changed" "the left button"
    report="left click $changed, "
    ;;
  escape)
    # Escape ends the run from any state: zoomed, in wireframe, walking.
    xdotool click 3; tap space; sleep 0.5; xdotool keydown w
    expect_end xdotool key Escape
    xdotool keyup w
    report="zoomed, wireframe, walking, "
    ;;
  close)
    xdotool click 3; tap space; sleep 0.5
    expect_end "$xclose" "$main"
    report="zoomed, wireframe, "
    ;;
  *)
    fail "unknown scenario"
    ;;
  esac
  if [[ -z "$pid" ]]; then
    echo "PASS [$scenario]: ${report}exit 0"
    continue
  fi
  expect_counting "$scenario"
  [[ -n "$after" ]] && convert "$after" "$outdir/e2e-input-$scenario.png" 2>/dev/null
  echo "PASS [$scenario]: ${report}idle $idle"
done
if [[ -n "$pid" ]]; then
  scenario=end
  expect_end xdotool key --window "$main" Escape
fi
