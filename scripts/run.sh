#!/usr/bin/env bash
# Sets up, builds the release viewer, generates the default landscape once into
# data/, and starts lumora there. Without a display it runs the viewer on a
# virtual one for about five seconds, answering the start-up question with No,
# and leaves a screenshot.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

./scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target lumora lumora-landscape >/dev/null

lumora="$top/build/release/src/lumora"
generator="$top/build/release/tools/landscape/lumora-landscape"
data="$top/data"
if [[ -x "$generator" ]]; then
  version=$("$generator" --version)
  if [[ ! -f "$data/landscape.version" || "$(cat "$data/landscape.version")" != "$version" ]]; then
    rm -rf "$data"
    "$generator" "$data"
  fi
fi
mkdir -p "$data"
cd "$data"

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec "$lumora"
fi

# No display: a short demonstration on a virtual one.
shot="$top/build/release/lumora-screenshot.png"
export lumora shot top
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  source "$top/scripts/lib/xdrive.sh"
  errors=$(mktemp)
  "$lumora" 2> >(tee "$errors" >&2) & pid=$!
  question=$(xd_wait_question $pid "$errors" 15) || { kill $pid 2>/dev/null; exit 1; }
  xd_answer_question "$question" No
  main=$(xd_wait_window_prefix "Current Frames Per Second: " 10) || { echo "the viewer shows no frames"; kill $pid; exit 1; }
  sleep 5
  import -window root "$shot"
  title=$(xd_title "$main")
  xdotool key --window "$main" Escape 2>/dev/null
  wait $pid; status=$?
  echo "last title:  $title"
  echo "exit status: $status"
  echo "screenshot:  $shot"
'
