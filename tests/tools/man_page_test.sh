#!/usr/bin/env bash
# Every option that a program's --help lists is described in the OPTIONS
# section of its manual page.
#   man_page_test.sh PROGRAM PAGE.1
set -uo pipefail
program=$1 page=$2

help=$("$program" --help) || { echo "FAIL: $program --help ended with status $?"; exit 1; }
# The options of the usage lines (the first line and the indented ones under
# it) and of the lines that begin with one; not those of example commands.
mapfile -t options < <(awk 'NR == 1 || (usage && /^ /) { usage = 1; print; next }
                            { usage = 0 } /^[[:space:]]*-/ { print $1 }' <<<"$help" |
                       grep -oE '(^|[][ ,|(])--?[a-zA-Z][a-zA-Z0-9-]*' | sed 's/^[][ ,|(]//' | sort -u)
(( ${#options[@]} > 0 )) || { echo "FAIL: no option found in $program --help"; exit 1; }

# The OPTIONS section as text: roff's \- is a hyphen, font changes go.
section=$(awk '/^\.SH /{ inside = ($2 == "OPTIONS") ; next } inside' "$page" |
          sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\f(..//g')
missing=()
for option in "${options[@]}"; do
  grep -qE -- "(^|[^a-zA-Z0-9-])$option([^a-zA-Z0-9-]|\$)" <<<"$section" || missing+=("$option")
done
if (( ${#missing[@]} > 0 )); then
  echo "FAIL: $(basename "$page") lacks ${missing[*]}, which $(basename "$program") --help lists"
  exit 1
fi
echo "PASS: $(basename "$page") describes ${options[*]}"
