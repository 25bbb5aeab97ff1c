# Shell functions that drive Lumora on an X display without a window manager:
# find its windows, answer its message boxes, read its title. Sourced by the
# run script and the end-to-end tests.

# Prints the id of the first top-level window whose title is exactly $1, or
# nothing.
xd_window_titled() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"$1\": " | awk '{ print $1; exit }'
}

# Prints the id of the first window whose title starts with $1, or nothing.
xd_window_title_prefix() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"$1" | awk '{ print $1; exit }'
}

# True when window $1 is mapped and can be seen (and so clicked).
xd_viewable() {
  xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# Waits up to $2 seconds (default 10) for a viewable window titled $1; prints
# its id.
xd_wait_window() {
  local title=$1 limit=${2:-10} id waited=0
  while (( waited < limit * 10 )); do
    id=$(xd_window_titled "$title")
    [[ -n "$id" ]] && xd_viewable "$id" && { echo "$id"; return 0; }
    sleep 0.1; waited=$((waited + 1))
  done
  return 1
}

# Waits up to $2 seconds for a window whose title starts with $1; prints its id.
xd_wait_window_prefix() {
  local prefix=$1 limit=${2:-10} id waited=0
  while (( waited < limit * 10 )); do
    id=$(xd_window_title_prefix "$prefix")
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.1; waited=$((waited + 1))
  done
  return 1
}

# The title of window $1 as the program set it (UTF-8).
xd_title() {
  xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME([^)]*) = "\(.*\)"$/\1/p'
}

# Prints "X Y WIDTH HEIGHT" of window $1 in screen pixels.
xd_geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { print x, y, w, h }'
}

# Clicks the answer $2 (Yes or No) of the question box $1, again while the box
# stays up (a click can come before the box listens). The two buttons sit side
# by side, centred, 27 pixels above the box's bottom edge.
xd_answer_question() {
  local box=$1 answer=$2 x y w h bx tries=0
  read -r x y w h < <(xd_geometry "$box")
  if [[ "$answer" == Yes ]]; then bx=$((x + w / 2 - 46)); else bx=$((x + w / 2 + 44)); fi
  while xd_viewable "$box" && (( tries++ < 5 )); do
    xdotool mousemove "$bx" $((y + h - 27)) click 1 2>/dev/null
    sleep 0.5
  done
}

# Presses Return in message box $1, which answers its default button.
xd_press_return() {
  xdotool key --window "$1" Return 2>/dev/null
}

# Waits up to $3 seconds (default 15) for the start-up question of the viewer
# with process id $1 whose standard error goes to file $2; prints the box's id.
# A box that cannot be shown leaves its line on the viewer's standard error:
# then this says so on its own standard error and fails at once, so a missing
# package names itself instead of timing out.
xd_wait_question() {
  local pid=$1 errors=$2 limit=${3:-15} id line waited=0
  while (( waited < limit * 10 )); do
    id=$(xd_window_titled "Options")
    [[ -n "$id" ]] && xd_viewable "$id" && { echo "$id"; return 0; }
    line=$(grep -m1 '^lumora: Options: ' "$errors" 2>/dev/null)
    if [[ -n "$line" ]]; then
      echo "the start-up question could not be shown: $line" >&2
      return 1
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "the viewer ended before it asked the start-up question" >&2
      return 1
    fi
    sleep 0.1; waited=$((waited + 1))
  done
  echo "no start-up question within $limit s" >&2
  return 1
}
