#!/usr/bin/env bash
# Sets up, builds the test configuration (AddressSanitizer, UndefinedBehavior-
# Sanitizer, warnings as errors) and runs every test on a virtual display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

./scripts/setup.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMORA_SANITIZE=ON -DLUMORA_WERROR=ON >/dev/null
cmake --build build/test -j"$(nproc)"
cd build/test
xvfb-run -a -s "-screen 0 1024x768x24" ctest -j"$(nproc)" --output-on-failure
