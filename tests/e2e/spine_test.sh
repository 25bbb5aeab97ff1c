#!/usr/bin/env bash
# End-to-end checks of the real lumora binary on a virtual display, driven the
# way a user would: answer the start-up question, look at the window and its
# title, quit. Runs one scenario on the display it is given:
#   spine_test.sh SCENARIO LUMORA X_CLOSE_WINDOW OUTDIR [LANDSCAPE]
# LANDSCAPE, a generated landscape, is copied into the folder the viewer starts in.
set -uo pipefail
scenario=$1 lumora=$2 xclose=$3 outdir=$4 landscape=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xdrive.sh"

fail() {
  echo "FAIL [$scenario]: $*"
  [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null
  [[ -s "${errors:-}" ]] && { echo "lumora's standard error:"; cat "$errors"; }
  exit 1
}

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
if [[ -n "$landscape" ]]; then
  cp -r "$landscape/." "$data" || fail "cannot copy the landscape"
fi
cd "$data"

errors="$data/stderr"
"$lumora" 2>"$errors" & pid=$!

# Waits for the viewer to end; sets status to its exit status.
wait_exit() {
  local waited=0
  while kill -0 "$pid" 2>/dev/null; do
    (( waited++ > 100 )) && fail "lumora did not end within 10 s"
    sleep 0.1
  done
  wait "$pid"; status=$?
  pid=
}

case "$scenario" in
unshown-boxes)
  # A display with only the server's built-in fonts, as on a machine without
  # the X core fonts: no box can be shown, so each leaves its line on standard
  # error and answers as dismissed. The question then counts as not No (full
  # screen), the refused display mode posts a quit, and the viewer ends.
  wait_exit
  [[ "$status" == 0 ]] || fail "exit status $status"
  grep -qxF "lumora: Options: Click Yes to go to full screen (Recommended)" "$errors" ||
    fail "no line for the start-up question"
  grep -qxF "lumora: Error: Display Mode Not Compatible" "$errors" || fail "no line for the refused display mode"
  # Full screen asked for on the command line: the same box, then a line of its own and status 1.
  "$lumora" --fullscreen 2>"$errors"; status=$?
  [[ $status == 1 && $(grep -cvxF "lumora: Error: Display Mode Not Compatible" "$errors") == 1 ]] ||
    fail "--fullscreen refused: exit status $status"
  grep -qx "lumora: --fullscreen: .*" "$errors" || fail "--fullscreen refused: no line of its own"
  echo "PASS [$scenario]: both boxes on standard error, exit 0; --fullscreen refused, exit 1"
  exit 0
  ;;
esac

question=$(xd_wait_question "$pid" "$errors" 15 2>"$data/why") || fail "$(cat "$data/why")"

case "$scenario" in
windowed-escape|windowed-close)
  xd_answer_question "$question" No
  main=$(xd_wait_window_prefix "Current Frames Per Second: " 3) || fail "no frames-per-second title within 3 s"
  read -r x y w h < <(xd_geometry "$main")
  [[ "$x $y $w $h" == "0 0 800 600" ]] || fail "client area is $w x $h at ($x, $y), want 800 x 600 at (0, 0)"
  title=$(xd_title "$main")
  [[ "$title" =~ ^Current\ Frames\ Per\ Second:\ ([0-9]+)$ ]] || fail "title '$title'"
  (( BASH_REMATCH[1] >= 1 )) || fail "title figure ${BASH_REMATCH[1]}"
  sleep 1.5
  import -window root "$outdir/e2e-$scenario.png" 2>/dev/null
  if [[ "$scenario" == windowed-escape ]]; then
    xdotool key --window "$main" Escape 2>/dev/null
  else
    "$xclose" "$main" || fail "could not ask the window to close"
  fi
  wait_exit
  [[ "$status" == 0 ]] || fail "exit status $status"
  echo "PASS [$scenario]: 800 x 600 at (0, 0), title '$(printf %s "$title")', exit 0"
  ;;
fullscreen-refused)
  # The virtual screen is 1024 x 768 and offers no 800 x 600 mode.
  xd_press_return "$question"
  error=$(xd_wait_window "Error" 10) || fail "no error box after answering Yes"
  # Start-up is held by the box; no frame may follow it.
  frames=$(xd_window_title_prefix "Current Frames Per Second: ")
  [[ -z "$frames" ]] || fail "a frame was drawn"
  xd_press_return "$error"
  wait_exit
  [[ "$status" == 0 ]] || fail "exit status $status"
  echo "PASS [$scenario]: error box, no frame, exit 0"
  ;;
*)
  fail "unknown scenario"
  ;;
esac
