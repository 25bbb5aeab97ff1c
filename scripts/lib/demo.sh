#!/usr/bin/env bash
# A short demonstration on a virtual display: starts the viewer in a window,
# lets it run for about five seconds, saves a screenshot, ends it with Escape
# and prints the last window title and the exit status.
#   demo.sh LUMORA SCREENSHOT [DIR]   (run under xvfb-run)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xdrive.sh"
lumora=$1 shot=$2
shift 2

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
"$lumora" --windowed "$@" 2> >(tee "$errors" >&2) & pid=$!
main=$(xd_wait_window_prefix "Current Frames Per Second: " 15) || { echo "the viewer shows no frames"; kill $pid 2>/dev/null; exit 1; }
sleep 5
import -window root "$shot"
title=$(xd_title "$main")
xdotool key --window "$main" Escape 2>/dev/null
wait $pid; status=$?
echo "last title:  $title"
echo "exit status: $status"
echo "screenshot:  $shot"
