# Picture-change checks shared by the input and desktop scenarios. The script
# that sources this defines shot (takes a screenshot of the viewer, prints its
# file name) and fail.

# The flyers and the clock change the picture by themselves: idle is how many
# pixels change over about a second without input.
idle=0
measure_idle() { local a b; a=$(shot); sleep 1; b=$(shot); idle=$(xd_changed_pixels "$a" "$b"); }
# A change the input made is clearly more than that; no change is about that.
clearly_changed() { (( $1 > 3 * idle + 4800 )); }
expect_changed() { clearly_changed "$1" || fail "$2: $1 pixels changed, idle $idle"; }
expect_unchanged() { (( $1 <= 2 * idle + 4800 )) || fail "$2: $1 pixels changed, idle $idle"; }

# Runs "$@" between two screenshots, the second taken once the picture has
# clearly changed or after 4 s (a frame of the sanitized build on a loaded
# machine can take a second); sets changed to the pixels that changed and
# after to the second screenshot.
change_of() {
  local first end=$((SECONDS + 4))
  first=$(shot); "$@"
  while :; do
    sleep 0.2
    after=$(shot)
    changed=$(xd_changed_pixels "$first" "$after")
    clearly_changed "$changed" || (( SECONDS >= end )) && break
  done
}

# The pointer's "X Y" on the screen.
pointer() { xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/'; }
