#!/usr/bin/env bash
# Sets up, builds the test configuration (AddressSanitizer, UndefinedBehavior-
# Sanitizer, warnings as errors) and runs every test on a virtual display.
# Before the suite it checks what the suite needs of the machine, and stops
# with one line naming what is missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

./scripts/setup.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMORA_SANITIZE=ON -DLUMORA_WERROR=ON >/dev/null
cmake --build build/test -j"$(nproc)"

screen=(-s "-screen 0 1024x768x24")
if ! xvfb-run -a "${screen[@]}" true 2>/dev/null; then
  echo "test: the virtual display does not start (xvfb-run from the xvfb package)"
  exit 1
fi
xvfb-run -a "${screen[@]}" bash scripts/lib/preflight.sh build/test/tests/lumora-preflight

# The fuzzers' findings replay in ctest as regression tests; fuzzing itself is
# scripts/fuzz.sh, a command of its own, so the outcome here never depends on
# what a random search happens to find.
# A test that fails fails the command. One failure alone is run once more,
# with a line that says so: an end-to-end viewer that finds no display on the
# virtual display its scenario started, which happens now and then while
# several virtual displays start and stop side by side.
cd build/test
signature='lumora: no display to open a window on'
mkdir -p Testing
status=0
xvfb-run -a "${screen[@]}" ctest -j"$(nproc)" --output-on-failure | tee Testing/suite.log || status=$?
(( status == 0 )) && exit 0
[[ -s Testing/Temporary/LastTestsFailed.log ]] || exit "$status"
mapfile -t failed < <(cut -d: -f2- Testing/Temporary/LastTestsFailed.log)
mapfile -t displayless < <(awk -v sig="$signature" '
  /Test +#[0-9]+: / { name = ""; if ($0 ~ /\*\*\*(Failed|Timeout)/) { name = $0; sub(/.*Test +#[0-9]+: /, "", name); sub(/ .*/, "", name) } next }
  / Start +[0-9]+: / { name = ""; next }
  name != "" && index($0, sig) { print name; name = "" }' Testing/suite.log | sort -u)
for test in "${failed[@]}"; do
  printf '%s\n' "${displayless[@]}" | grep -qxF -- "$test" || exit "$status"
done
for test in "${failed[@]}"; do
  echo "test: running $test once more: its viewer found no display"
  xvfb-run -a "${screen[@]}" ctest -R "^${test//./\\.}\$" --output-on-failure || exit 1
done
