#!/usr/bin/env bash
# A program's options agree in three places: the usage lines of its --help,
# the rows of its --help that describe them (a tool's table of options), and
# the OPTIONS section of its manual page. -h, --help and --version are
# answered by every program, whether its rows list them or not.
#   man_page_test.sh PROGRAM PAGE.1
set -uo pipefail
program=$1 page=$2
name=$(basename "$program")

help=$("$program" --help) || { echo "FAIL: $name --help ended with status $?"; exit 1; }
options() { grep -oE '(^|[^a-zA-Z0-9-])--?[a-zA-Z][a-zA-Z0-9-]*' | sed 's/^[^-]//' | sort -u; }
answered=$'-h\n--help\n--version'
# The usage lines: the first and the indented ones under it.
usage=$( (awk 'NR == 1 || (usage && /^ /) { usage = 1; print; next } { usage = 0 }' <<<"$help"; echo -- -h) |
         options)
# The rows: a line that begins with an option, at most four columns in (the
# text beside and below them starts further in).
rows=$( (awk '/^ ? ? ? ?-/ { print $1 }' <<<"$help"; echo "$answered") | options)
# The OPTIONS section as text: roff's \- is a hyphen, font changes go.
man=$(awk '/^\.SH /{ inside = ($2 == "OPTIONS") ; next } inside' "$page" |
      sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\f(..//g' | options)
[[ -n $rows && $rows != "$(sort <<<"$answered")" ]] || { echo "FAIL: no option row in $name --help"; exit 1; }

status=0
differ() { # differ WHAT LIST OTHER-WHAT OTHER-LIST
  local only
  only=$(comm -23 <(echo "$2") <(echo "$4") | tr '\n' ' ')
  [[ -z $only ]] || { echo "FAIL: $name: $1 name ${only% }, which $3 do not"; status=1; }
}
page=$(basename "$page")
differ "the usage lines" "$usage" "the option rows" "$rows"
differ "the option rows" "$rows" "the usage lines" "$usage"
differ "the option rows" "$rows" "the OPTIONS of $page" "$man"
differ "the OPTIONS of $page" "$man" "the option rows" "$rows"
(( status == 0 )) && echo "PASS: $name --help and $page agree on" $rows
exit $status
