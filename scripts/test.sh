#!/usr/bin/env bash
# Sets up, builds the test configuration (AddressSanitizer, UndefinedBehavior-
# Sanitizer, warnings as errors) and runs every test on a virtual display.
# Before the suite it checks what the suite needs of the machine, and stops
# with one line naming what is missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

./scripts/setup.sh
# Line tables (-g1) are all that a sanitizer's report needs of the code under
# test, and they compile in about four fifths of the time of full debug
# information; -O1 builds it in about 30 s less than -O2 for about 13 s more
# of test time; mold links the suite's programs in about a third of the time.
# Ninja starts the tests' compiles while the libraries are still being built,
# where Make waits for each library first; a build folder made before keeps
# the generator it was made with.
generator=()
[[ -f build/test/CMakeCache.txt ]] || generator=(-G Ninja)
cmake -S . -B build/test "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMORA_SANITIZE=ON -DLUMORA_WERROR=ON \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=mold -DCMAKE_MODULE_LINKER_FLAGS=-fuse-ld=mold >/dev/null
cmake --build build/test -j"$(nproc)"

# The server must not reset when its last client leaves: it hangs up on
# whoever connects during the reset, and the next test would find no display.
screen=(-s "-screen 0 1024x768x24 -noreset")
if ! xvfb-run -a "${screen[@]}" true 2>/dev/null; then
  echo "test: the virtual display does not start (xvfb-run from the xvfb package)"
  exit 1
fi
xvfb-run -a "${screen[@]}" bash scripts/lib/preflight.sh build/test/bin/lumora-preflight

# Mesa's software renderer draws in the program's own thread: the suite
# keeps both cores busy, and a viewer's helper threads would only take
# turns with the other tests (the pictures are the same either way).
export LP_NUM_THREADS=0
# The fuzzers' findings replay in ctest as regression tests; fuzzing itself is
# scripts/fuzz.sh, a command of its own, so the outcome here never depends on
# what a random search happens to find.
cd build/test
xvfb-run -a "${screen[@]}" ctest -j"$(nproc)" --output-on-failure
