#!/usr/bin/env bash
# End-to-end checks of the viewer's command line, its choice of data folder,
# the import of an elevation model and the screenshot key, on the real binary.
#   command_line_test.sh SCENARIO LUMORA LANDSCAPE
# LANDSCAPE is a generated landscape, copied where a scenario needs data.
# The folder scenarios run on a display whose boxes cannot be shown, so every
# box the viewer would show is a line on standard error.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xdrive.sh"
scenario=$1 lumora=$2 landscape=$3
frames="Current Frames Per Second: "
default_line="showing the default landscape"

fail() { echo "FAIL [$scenario]: $*"; [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Starts the viewer in folder $1 with the arguments that follow.
start_in() {
  local folder=$1; shift
  (cd "$folder" && exec "$lumora" "$@" 2>"$work/stderr") & pid=$!
}

# The same, with every program the viewer and its children start written to
# $work/started.
start_traced_in() {
  local folder=$1; shift
  (cd "$folder" && exec strace -f -qq --seccomp-bpf -e trace=execve -e signal=none -o "$work/started" "$lumora" "$@" 2>"$work/stderr") & pid=$!
}

# Waits for the first frame, then ends the viewer with Escape: status 0.
expect_frames_then_quit() {
  local main
  main=$(xd_wait_window_prefix "$frames" 30) || fail "no frames; stderr: $(cat "$work/stderr")"
  xdotool key --window "$main" Escape 2>/dev/null
  wait "$pid"; local status=$?; pid=
  [[ $status == 0 ]] || fail "exit status $status after Escape"
  ! grep -q "^lumora: Error: " "$work/stderr" || fail "boxes: $(grep '^lumora: Error: ' "$work/stderr")"
}

case "$scenario" in
options)
  # Help and version need no display at all.
  for option in --help --version; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$lumora" $option 2>"$work/stderr"); code=$?
    [[ $code == 0 && -n $out && ! -s "$work/stderr" ]] || fail "$option: status $code, '$out'"
  done
  [[ $(env -u DISPLAY "$lumora" --version) =~ ^lumora\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "version line"
  env -u DISPLAY "$lumora" --help |
    grep -q "^usage: lumora \[--windowed | --fullscreen | --fullscreen-desktop\] \[--render-scale F|auto\] \[--render-filter nearest|linear\] \[--terrain-error PX\] \[DIR | FILE\]$" ||
    fail "help has no usage line"
  for args in "--bogus" "one two" "--windowed --fullscreen" "--render-scale 0.1"; do
    out=$(env -u DISPLAY "$lumora" $args 2>&1 >/dev/null); code=$?
    [[ $code == 2 ]] || fail "'$args': status $code"
    [[ $(wc -l <<<"$out") == 1 && $out == "lumora: "*"usage: lumora "* ]] || fail "'$args': '$out'"
  done
  [[ $out == "lumora: cannot use --render-scale 0.1 (0.25 to 1, or auto); usage: "* ]] || fail "no range: '$out'"
  out=$(env -u DISPLAY "$lumora" "$work/none" 2>&1); code=$?
  [[ $code == 1 && $out == "lumora: cannot read data from $work/none: there is no such file or folder" ]] ||
    fail "a missing DIR: status $code, '$out'"
  # A FILE that cannot be imported: the generator's reason in one line, and
  # nothing left in the cache.
  echo "not a height map" >"$work/notes.png"
  out=$(XDG_CACHE_HOME="$work/cache" env -u DISPLAY "$lumora" "$work/notes.png" 2>&1); code=$?
  out=$(grep -v "^lumora: importing " <<<"$out")
  [[ $code == 1 && $(wc -l <<<"$out") == 1 && $out == "lumora: $work/notes.png: is not an elevation model"* ]] ||
    fail "a bad FILE: status $code, '$out'"
  [[ -z $(ls -A "$work/cache/lumora") ]] || fail "a failed import left $(ls "$work/cache/lumora")"
  # Without the generator beside the viewer, the package to install.
  mkdir "$work/alone" && cp "$lumora" "$work/alone/"
  out=$(XDG_CACHE_HOME="$work/cache" env -u DISPLAY "$work/alone/lumora" "$work/notes.png" 2>&1); code=$?
  [[ $code == 1 && $(wc -l <<<"$out") == 1 && $out == *"install the package lumora-tools" ]] ||
    fail "no generator: status $code, '$out'"
  ;;
empty-folder)
  mkdir "$work/empty"
  start_in "$work/empty" --windowed
  expect_frames_then_quit
  [[ $(grep -c "^lumora: no landscape files here, $default_line from /" "$work/stderr") == 1 ]] ||
    fail "stderr: $(cat "$work/stderr")"
  ;;
one-file)
  # The user's data, however little: the boxes as always, no default landscape.
  cp -r "$landscape" "$work/full" || fail "cannot copy the landscape"
  mkdir "$work/one" && cp "$work/full/Tertest.raw" "$work/one/"
  start_in "$work/one" --windowed
  for (( tick = 0; tick < 300; tick++ )); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  wait "$pid"; status=$?; pid=
  [[ $status == 0 ]] || fail "exit status $status"
  ! grep -q "$default_line" "$work/stderr" || fail "took the default landscape"
  grep -q "^lumora: Error: Unable to load BMP File!" "$work/stderr" ||
    fail "no box for the terrain picture: $(cat "$work/stderr")"
  ;;
dir-given)
  # DIR wins over the working folder, and is never replaced by the default.
  cp -r "$landscape" "$work/full" || fail "cannot copy the landscape"
  mkdir "$work/here" "$work/nothing"
  start_in "$work/here" --windowed "$work/full"
  expect_frames_then_quit
  ! grep -q "$default_line" "$work/stderr" || fail "took the default landscape for DIR"
  start_in "$work/here" --windowed "$work/nothing"
  for (( tick = 0; tick < 300; tick++ )); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  ! grep -q "$default_line" "$work/stderr" || fail "took the default landscape for an empty DIR"
  grep -q "^lumora: Error: " "$work/stderr" || fail "no boxes for an empty DIR"
  ;;
elevation-file)
  # The first start imports, the second shows the cached import at once.
  convert -seed 5 -size 256x256 plasma:fractal -blur 0x4 -colorspace gray -depth 16 "$work/hill.png" ||
    fail "convert failed"
  export XDG_CACHE_HOME="$work/cache"
  for run in first second; do
    begin=$(date +%s%N)
    if [[ $run == second ]]; then start_traced_in "$work" --windowed hill.png; else start_in "$work" --windowed hill.png; fi
    xd_wait_window_prefix "$frames" 120 >/dev/null || fail "$run start: no frames; $(cat "$work/stderr")"
    echo "$run start: frames after $(( ($(date +%s%N) - begin) / 1000000 )) ms"
    expect_frames_then_quit
    cat "$work/stderr"
    folders=$(ls "$work/cache/lumora")
    [[ $(wc -w <<<"$folders") == 1 && $folders != *partial* ]] || fail "cache: $folders"
    if [[ $run == first ]]; then
      grep -q "^lumora: importing hill.png into $work/cache/lumora/$folders " "$work/stderr" || fail "no import"
      # The generator's line of what it did, passed on once the files are written.
      grep -q "^lumora: $work/hill.png: .* samples, from " "$work/stderr" || fail "no import line"
      stamp=$(stat -c %Y.%i "$work/cache/lumora/$folders/landscape.version")
    else
      ! grep -q "importing" "$work/stderr" || fail "imported again"
      [[ $(stat -c %Y.%i "$work/cache/lumora/$folders/landscape.version") == "$stamp" ]] || fail "cache rewritten"
      # A cached import starts no generator, not even to ask its version (the
      # display's libraries may still look for a session bus).
      grep -q 'execve(.*/lumora"' "$work/started" || fail "not traced: $(cat "$work/started")"
      ! grep -q 'execve(.*lumora-landscape' "$work/started" || fail "generator started: $(grep lumora-landscape "$work/started")"
    fi
  done
  ;;
screenshot)
  mkdir "$work/shots"
  start_in "$work/shots" --windowed
  main=$(xd_wait_window_prefix "$frames" 30) || fail "no frames"
  # Two presses, mostly within one second: two pictures, neither replaced.
  for count in 1 2; do
    xdotool key --window "$main" F12
    for (( tick = 0; tick < 100; tick++ )); do
      (( $(grep -c "saved the frame" "$work/stderr") == count )) && break
      sleep 0.05
    done
  done
  xdotool key --window "$main" Escape 2>/dev/null
  wait "$pid"; pid=
  (( $(ls "$work/shots" | wc -l) == 2 )) || fail "files: $(ls "$work/shots")"
  shot=$(ls "$work/shots" | grep -E '^lumora-[0-9]{8}-[0-9]{6}\.png$' | head -n 1)
  [[ -n $shot ]] || fail "files: $(ls "$work/shots")"
  grep -q "^lumora: saved the frame as $work/shots/$shot$" "$work/stderr" || fail "stderr: $(cat "$work/stderr")"
  size=$(convert "$work/shots/$shot" -format "%w x %h" info:) || fail "the PNG does not decode"
  [[ $size == "800 x 600" ]] || fail "size $size"
  # A real frame, not a cleared buffer: the picture holds many colours.
  colours=$(convert "$work/shots/$shot" -format "%k" info:)
  (( colours > 1000 )) || fail "only $colours colours"
  ;;
*) fail "no such scenario" ;;
esac
echo "PASS [$scenario]"
