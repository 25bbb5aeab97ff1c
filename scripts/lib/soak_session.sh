#!/usr/bin/env bash
# One soak session of the viewer LUMORA on the virtual display that
# scripts/soak.sh opens, in the data folder OUT/data; the session's files go
# to OUT. Modes:
#
#   soak_session.sh replay LUMORA OUT PASSES MINUTES
#     writes one input script of MINUTES from a fixed seed and plays it PASSES
#     times in one process. After each pass: the malloc heap's bytes in use
#     (from the preloaded heap probe, HEAP_PROBE) and the resident memory. Every
#     later pass must end within 256 KiB (heap) and 1 MiB (resident) of the
#     first pass's end.
#   soak_session.sh leaks LUMORA OUT MINUTES
#     plays the same script once in a sanitized build with leak detection on
#     (VIEWER_PRELOAD: libraries the viewer alone preloads); the viewer must
#     exit 0 with no leak reported.
#   soak_session.sh random LUMORA OUT MINUTES
#     random input for MINUTES; reports resident memory every 15 s.
#
# Every mode fails when the viewer ends early or exits other than 0.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xdrive.sh"

mode=$1 lumora=$2 out=$3
shift 3
keys=(w a s d Up Down Left Right c space Return)

fail() {
  echo "soak: FAIL: $*"
  [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null
  exit 1
}

# Starts the viewer in a window with the environment in viewer_env (the
# helpers run without it) and waits for its frames.
viewer_env=()
start_viewer() {
  (cd "$out/data" && exec env "${viewer_env[@]}" "$lumora" --windowed 2>"$out/stderr") & pid=$!
  main=$(xd_wait_window_prefix "Current Frames Per Second: " 30) || fail "no frames"
  xdotool windowfocus --sync "$main" 2>/dev/null
}

# Escape, then the exit status, which must be 0.
stop_viewer() {
  local tick=0
  xdotool key --window "$main" Escape 2>/dev/null
  while kill -0 "$pid" 2>/dev/null; do
    (( tick++ > 300 )) && fail "the viewer did not end within 30 s of Escape"
    sleep 0.1
  done
  wait "$pid"; status=$?
  pid=
  [[ $status == 0 ]] || fail "exit status $status"
}

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }

# --- The input script ---------------------------------------------------------

# The inverse of a walking key: forward and back, left and right swap. Crouch
# (c) undoes itself when pressed again.
inverse_key() {
  case $1 in
    w) echo s ;; s) echo w ;; a) echo d ;; d) echo a ;;
    Up) echo Down ;; Down) echo Up ;; Left) echo Right ;; Right) echo Left ;;
    *) echo "$1" ;;
  esac
}

# Writes the script for MINUTES ($1) to file $2: lines "MS ACTION ARGS", MS
# from the start of the pass. Its second half undoes the first in reverse
# order, so every pass starts and ends at the same place, looking the same
# way, in the same modes and at the same window size, and shows the same views.
write_script() {
  local half_ms=$(( $1 * 30000 - 2000 )) t=500 n=0 i k d dx dy width=800 height=600 pitch=0 fill=Return
  local -a forward=() inverse=() lengths=()
  RANDOM=1
  while (( t < half_ms )); do
    case $((RANDOM % 8)) in
      0|1|2) k=${keys[RANDOM % 8]} d=$((100 + RANDOM % 900))
             forward+=("hold $k $d") inverse+=("hold $(inverse_key "$k") $d") lengths+=($((d + 100))) ;;
      3|4) dx=$((RANDOM % 161 - 80)) dy=$((RANDOM % 41 - 20))
           # The pitch stops at its limit, where a look could not be undone.
           (( pitch + dy > 100 || pitch + dy < -100 )) && dy=0
           pitch=$((pitch + dy))
           forward+=("look $dx $dy") inverse+=("look $((-dx)) $((-dy))") lengths+=(150) ;;
      5) k=$(( RANDOM % 4 ))
         case $k in
           0) forward+=("tap c") inverse+=("tap c") ;;
           # Space draws as wireframe and Return filled: undone by the other.
           1) forward+=("tap space") inverse+=("tap $fill") fill=space ;;
           2) forward+=("tap Return") inverse+=("tap $fill") fill=Return ;;
           3) forward+=("click 3") inverse+=("click 3") ;;
         esac
         lengths+=(400) ;;
      6) forward+=("click 1") inverse+=("click 1") lengths+=(150) ;;
      7) local w=$((320 + RANDOM % 481)) h=$((240 + RANDOM % 361))
         forward+=("size $w $h") inverse+=("size $width $height") lengths+=(600)
         width=$w height=$h ;;
    esac
    t=$((t + lengths[-1]))
  done
  forward+=("size 800 600") inverse+=("size $width $height") lengths+=(600)
  n=${#forward[@]}
  {
    t=500
    for (( i = 0; i < n; i++ )); do
      emit "$t" "${forward[i]}"; t=$((t + lengths[i]))
    done
    for (( i = n - 1; i >= 0; i-- )); do
      emit "$t" "${inverse[i]}"; t=$((t + lengths[i]))
    done
  } >"$2"
}

# One operation as timed events.
emit() {
  local t=$1 op k d
  read -r op k d <<<"$2"
  case $op in
    hold) echo "$t down $k"; echo "$((t + d)) up $k" ;;
    look) echo "$t move $((400 + k)) $((300 + d))" ;;
    tap) echo "$t down $k"; echo "$((t + 150)) up $k" ;;
    *) echo "$t $2" ;;
  esac
}

now_us() { echo "${EPOCHREALTIME/./}"; }

# Plays the script in file $1 once, each event at its time from the start.
play_script() {
  local start ms action a b late
  start=$(now_us)
  while read -r ms action a b; do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "the viewer ended early with status $?"; }
    late=$(( start + ms * 1000 - $(now_us) ))
    (( late > 0 )) && sleep "$(printf '%d.%06d' $((late / 1000000)) $((late % 1000000)))"
    case $action in
      down) xdotool keydown "$a" ;;
      up) xdotool keyup "$a" ;;
      move) xdotool mousemove "$a" "$b" ;;
      click) xdotool click "$a" ;;
      size) xdotool windowsize "$main" "$a" "$b" ;;
    esac 2>/dev/null
  done <"$1"
}

# The malloc heap's bytes in use, as the median of 21 figures from the heap
# probe 50 ms apart: while frames are drawn, the renderer now and then frees
# the working memory of a picture for a moment, and a single figure may catch
# it.
heap_median() {
  local before lines sample tick
  before=$(wc -l <"$out/heap.log")
  for (( sample = 1; sample <= 21; sample++ )); do
    # One request at a time: signals sent faster than they are taken merge.
    kill -USR1 "$pid"
    for (( tick = 0; tick < 100; tick++ )); do
      lines=$(wc -l <"$out/heap.log")
      (( lines >= before + sample )) && break
      sleep 0.01
    done
    (( lines >= before + sample )) || return 1
    sleep 0.05
  done
  tail -n +"$((before + 1))" "$out/heap.log" | sort -n | sed -n 11p
}

# The graphics driver keeps its working memory at the size of the heaviest
# picture it has drawn so far: this shows it every kind of picture the viewer
# draws, all around, filled and as wireframe, zoomed and not, standing and
# crouched, tilted up and down, at several sizes. It ends filled, at 800 x 600.
show_every_picture() {
  local mode zoom crouch y size
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
}

# --- Modes --------------------------------------------------------------------

replay() {
  local passes=$1 minutes=$2 pass heap rss first_heap="" first_rss="" worst_heap=0 worst_rss=0
  write_script "$minutes" "$out/input.txt"
  viewer_env=(LD_PRELOAD="$HEAP_PROBE" LUMORA_HEAP_PROBE="$out/heap.log")
  : >"$out/heap.log"
  start_viewer
  show_every_picture
  echo "pass heap_bytes rss_kib" >"$out/passes.log"
  for (( pass = 1; pass <= passes; pass++ )); do
    play_script "$out/input.txt"
    sleep 2 # the last frames of the pass settle
    heap=$(heap_median) || fail "no heap figure from the probe after pass $pass"
    rss=$(rss_kib) || fail "no resident memory figure"
    echo "$pass $heap $rss" >>"$out/passes.log"
    if [[ -z "$first_heap" ]]; then
      first_heap=$heap first_rss=$rss
    else
      local dh=$((heap - first_heap)) dr=$((rss - first_rss))
      (( ${dh#-} > ${worst_heap#-} )) && worst_heap=$dh
      (( ${dr#-} > ${worst_rss#-} )) && worst_rss=$dr
    fi
    printf 'soak: pass %d of %d: malloc heap in use %d KiB, resident %d KiB\n' \
      "$pass" "$passes" $((heap / 1024)) "$rss"
  done
  stop_viewer
  echo "soak: exit 0 after $passes passes of $minutes minutes"
  local verdict=0
  if (( ${worst_heap#-} <= 256 * 1024 )); then
    echo "soak: PASS: malloc heap at each later pass's end within $((worst_heap / 1024)) KiB of the first's (limit 256 KiB)"
  else
    echo "soak: FAIL: malloc heap at a later pass's end $((worst_heap / 1024)) KiB from the first's (limit 256 KiB)"
    verdict=1
  fi
  if (( ${worst_rss#-} <= 1024 )); then
    echo "soak: PASS: resident memory at each later pass's end within $worst_rss KiB of the first's (limit 1024 KiB)"
  else
    echo "soak: FAIL: resident memory at a later pass's end $worst_rss KiB from the first's (limit 1024 KiB)"
    verdict=1
  fi
  return $verdict
}

leaks() {
  local minutes=$1
  write_script "$minutes" "$out/input.txt"
  viewer_env=(LD_PRELOAD="${VIEWER_PRELOAD:-}")
  start_viewer
  play_script "$out/input.txt"
  stop_viewer
  grep -q "LeakSanitizer" "$out/stderr" && fail "leaks reported (see $out/stderr)"
  local suppressed
  suppressed=$(awk '/^Suppressions used:/ { s = 1; next } s && $1 ~ /^[0-9]+$/ { n += $1 } END { print n + 0 }' "$out/stderr")
  echo "soak: PASS: exit 0 after $minutes minutes, no leak reported ($suppressed allocations of the system's libraries suppressed by tests/lsan.supp)"
}

# Random input, repeatable from its seed; the first minute is the warm-up.
# Memory is sampled at 800 x 600, since back buffers follow the size.
random_walk() {
  local minutes=$1 k
  start_viewer
  rss() {
    xdotool windowsize --sync "$main" 800 600 2>/dev/null
    sleep 0.5
    rss_kib
  }
  heap() { awk '/\[heap\]$/ { h = 1; next } h && /^Rss:/ { print $2; exit }' "/proc/$pid/smaps"; }
  show_every_picture

  RANDOM=1
  local start=$SECONDS next_sample=60 first="" last="" kb kb_heap first_heap=""
  local end=$((start + minutes * 60))
  while (( SECONDS < end )); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "the viewer ended early with status $?"; }
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
      echo "$((SECONDS - start)) $kb $kb_heap" >>"$out/rss.log"
      [[ -z "$first" ]] && { first=$kb; first_heap=$kb_heap; echo "soak: RSS after 1 minute: $kb KiB"; }
      next_sample=$((next_sample + 15))
    fi
  done
  for k in "${keys[@]}"; do xdotool keyup "$k" 2>/dev/null; done
  last=$(rss) || fail "no memory figure"
  kb_heap=$(heap)
  echo "$((SECONDS - start)) $last $kb_heap" >>"$out/rss.log"
  stop_viewer
  echo "soak: PASS: exit 0; resident memory ${first:-$last} KiB after 1 minute, $last KiB after $minutes (malloc heap ${first_heap:-$kb_heap} -> $kb_heap KiB; samples in $out/rss.log)"
}

case $mode in
  replay) replay "$@" ;;
  leaks) leaks "$@" ;;
  random) random_walk "$@" ;;
  *) fail "unknown mode $mode" ;;
esac
