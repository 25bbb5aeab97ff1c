#!/usr/bin/env bash
# Soak run: the release viewer on a virtual display for MINUTES (default 10)
# of random input through xdotool (key taps and holds, mouse moves, left and
# right clicks, window resizes), then Escape. Passes when the viewer never
# ends early, exits with status 0, and its resident memory stays within 1 MiB
# of its size at the end of the first minute, the warm-up. Not part of the
# default test run:
#
#   scripts/soak.sh [MINUTES]
#
# The memory samples are written to build/soak/rss.log: seconds, resident KiB,
# and the KiB of it in the malloc heap, where the renderer keeps the working
# memory of the frames in flight. The input is random but repeatable: the same
# run drives the same sequence.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

minutes=${1:-10}
[[ "$minutes" =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/soak.sh [MINUTES]" >&2; exit 2; }

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target lumora lumora-landscape >/dev/null
out=build/soak
rm -rf "$out" && mkdir -p "$out"
build/release/tools/landscape/lumora-landscape "$out/data" >/dev/null

export top out minutes
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -uo pipefail
  source "$top/scripts/lib/xdrive.sh"
  fail() { echo "soak: FAIL: $*"; [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null; exit 1; }
  cd "$out/data"
  "$top/build/release/src/lumora" 2>"$top/$out/stderr" & pid=$!
  question=$(xd_wait_question "$pid" "$top/$out/stderr" 15) || fail "no start-up question"
  xd_answer_question "$question" No
  main=$(xd_wait_window_prefix "Current Frames Per Second: " 10) || fail "no frames"
  xdotool windowfocus --sync "$main" 2>/dev/null

  # Memory is compared at the same window size: back buffers follow the size.
  rss() {
    xdotool windowsize --sync "$main" 800 600 2>/dev/null
    sleep 0.5
    awk "/^VmRSS:/ { print \$2 }" /proc/$pid/status
  }
  heap() { awk "/\\[heap\\]\$/ { h = 1; next } h && /^Rss:/ { print \$2; exit }" /proc/$pid/smaps; }

  # The first minute is the warm-up, and memory is measured from its end on.
  # It starts by showing the viewer every kind of picture it will draw: the
  # graphics driver keeps its working memory at the size of the heaviest
  # picture it has drawn so far. All around, filled and as wireframe, zoomed
  # and not, standing and crouched, tilted up and down, at several sizes.
  for mode in Return space; do
    xdotool key $mode
    for zoom in 1 2; do
      xdotool click 3
      for crouch in 1 2; do
        xdotool keydown c; sleep 0.2; xdotool keyup c
        for _ in $(seq 16); do xdotool mousemove 600 300; sleep 0.15; done
        for y in 150 150 150 450 450 450 450 450 450 150 150 150; do xdotool mousemove 400 $y; sleep 0.15; done
      done
    done
    for size in "320 240" "640 480" "800 600"; do xdotool windowsize "$main" $size; sleep 0.5; done
  done 2>/dev/null
  xdotool key Return

  RANDOM=1
  keys=(w a s d Up Down Left Right c space Return)
  start=$SECONDS next_sample=60 first="" low="" high="" last=""
  end=$((start + minutes * 60))
  while (( SECONDS < end )); do
    kill -0 $pid 2>/dev/null || { wait $pid; fail "the viewer ended early with status $?"; }
    case $((RANDOM % 7)) in
      0) xdotool key "${keys[RANDOM % ${#keys[@]}]}" ;;
      1) k=${keys[RANDOM % 8]}; xdotool keydown "$k"; sleep 0.$((RANDOM % 9 + 1)); xdotool keyup "$k" ;;
      2|3) xdotool mousemove $((300 + RANDOM % 200)) $((220 + RANDOM % 160)) ;;
      4) xdotool click 3 ;;
      5) xdotool click 1 ;;
      6) xdotool windowsize "$main" $((320 + RANDOM % 481)) $((240 + RANDOM % 361)) ;;
    esac 2>/dev/null
    sleep 0.0$((RANDOM % 9 + 1))
    if (( SECONDS - start >= next_sample )); then
      kb=$(rss) || fail "no memory figure"
      kb_heap=$(heap)
      echo "$((SECONDS - start)) $kb $kb_heap" >>"$top/$out/rss.log"
      [[ -z "$first" ]] && { first=$kb; low=$kb; high=$kb; first_heap=$kb_heap; echo "soak: RSS after 1 minute: $kb KiB"; }
      (( kb < low )) && low=$kb
      (( kb > high )) && high=$kb
      next_sample=$((next_sample + 15))
    fi
  done
  for k in "${keys[@]}"; do xdotool keyup "$k" 2>/dev/null; done
  last=$(rss) || fail "no memory figure"
  last_heap=$(heap)
  echo "$((SECONDS - start)) $last $last_heap" >>"$top/$out/rss.log"
  [[ -z "$first" ]] && { first=$last; low=$last; high=$last; first_heap=$last_heap; }
  (( last < low )) && low=$last
  (( last > high )) && high=$last
  echo "soak: RSS after $minutes minutes: $last KiB (range $low .. $high KiB from the first minute on); malloc heap $first_heap -> $last_heap KiB"
  xdotool key --window "$main" Escape 2>/dev/null
  tick=0
  while kill -0 $pid 2>/dev/null; do
    (( tick++ > 100 )) && fail "the viewer did not end within 10 s of Escape"
    sleep 0.1
  done
  wait $pid; status=$?
  pid=
  [[ $status == 0 ]] || fail "exit status $status"
  (( high - low <= 1024 )) || fail "resident memory moved by $((high - low)) KiB after the first minute"
  echo "soak: PASS: exit 0, memory flat within $((high - low)) KiB"
'
