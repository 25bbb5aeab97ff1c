#!/usr/bin/env bash
# Runs on the virtual display before the test suite: checks that a GL context
# with the terrain's extensions can be made and that a message box can be
# shown, answering the box itself. Prints one line naming what is missing.
#   preflight.sh LUMORA_PREFLIGHT
set -uo pipefail
preflight=$1
source "$(dirname "$0")/xdrive.sh"

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
ASAN_OPTIONS=detect_leaks=0 "$preflight" 2>"$errors" & pid=$!
for (( waited = 0; waited < 300; waited++ )); do
  box=$(xd_window_titled "Lumora preflight")
  if [[ -n "$box" ]] && xd_viewable "$box"; then
    xd_press_return "$box"
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  echo "test: the preflight message box could not be answered on the virtual display"
  exit 1
fi
wait "$pid"; status=$?

line=$(grep -m1 '^preflight: ' "$errors")
if (( status != 0 )); then
  if [[ -n "$line" ]]; then
    echo "test: ${line#preflight: }"
  else
    echo "test: the preflight check failed with status $status"
  fi
  exit 1
fi
line=$(grep -m1 '^lumora: ' "$errors")
if [[ -n "$line" ]]; then
  echo "test: a message box cannot be shown on the virtual display (the X core fonts: xfonts-base): $line"
  exit 1
fi
