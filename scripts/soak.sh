#!/usr/bin/env bash
# Soak runs of the viewer on a virtual display, on a freshly generated data
# set. Not part of the default test run.
#
#   scripts/soak.sh [replay [PASSES [MINUTES]]]   default: 3 passes of 2 minutes
#     The release viewer plays one input script, written from a fixed seed,
#     PASSES times in one process: the same events at the same times. The
#     graphics driver keeps the working memory of the heaviest picture drawn
#     so far, and every pass shows the same pictures, so the first pass is the
#     warm-up and a later pass can only grow by what leaks. Passes when every
#     later pass ends with the malloc heap's bytes in use within 256 KiB of the
#     first pass's end and resident memory within 1 MiB. A leak of 64 bytes a
#     frame, about half a MiB a pass, breaks the first line.
#   scripts/soak.sh leaks [MINUTES]               default: 2 minutes
#     The sanitized test build plays the same script once with leak detection
#     on; passes when it exits 0 with no leak reported. Allocations that the
#     system's own libraries keep for the process's life are suppressed by
#     tests/lsan.supp, and only there.
#   scripts/soak.sh random [MINUTES]              default: 10 minutes
#     Random input, repeatable from its seed; reports resident memory every
#     15 seconds in build/soak/rss.log, and passes on exit status 0.
#
# The session's files (input script, pass figures, the viewer's standard
# error) are left in build/soak/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

usage() { echo "usage: scripts/soak.sh [replay [PASSES [MINUTES]] | leaks [MINUTES] | random [MINUTES]]" >&2; exit 2; }
number() { [[ "$1" =~ ^[1-9][0-9]*$ ]] || usage; }

mode=${1:-replay}
case $mode in
  replay) passes=${2:-3} minutes=${3:-2}; number "$passes"; number "$minutes"; set -- "$passes" "$minutes" ;;
  leaks) minutes=${2:-2}; number "$minutes"; set -- "$minutes" ;;
  random) minutes=${2:-10}; number "$minutes"; set -- "$minutes" ;;
  *) usage ;;
esac

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target lumora lumora-landscape lumora-heap-probe >/dev/null
viewer=build/release/bin/lumora
if [[ $mode == leaks ]]; then
  cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMORA_SANITIZE=ON -DLUMORA_WERROR=ON >/dev/null
  cmake --build build/test -j"$(nproc)" --target lumora >/dev/null
  viewer=build/test/bin/lumora
  export ASAN_OPTIONS=detect_leaks=1
  # Dynamic TLS unscanned, as in the tests: the tracer crashes on it now and then.
  export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=1:intercept_tls_get_addr=0
  # The window system unloads the GL driver when it closes, before the leak
  # check at exit: the driver's allocations would then have no library to be
  # known by. Preloaded libraries stay mapped, so the suppressions find them.
  # The sanitizer's runtime comes first, as it must.
  asan=$(ldd "$viewer" | awk '/libasan/ { print $3 }')
  driver=$(for lib in libGL.so.1 libGLX_mesa.so.0 dri/swrast_dri.so; do
             for dir in /usr/lib/x86_64-linux-gnu /usr/lib64 /usr/lib; do
               [[ -e "$dir/$lib" ]] && { echo "$dir/$lib"; break; }
             done
           done | paste -sd:)
  export VIEWER_PRELOAD=$asan${driver:+:$driver}
fi
out=build/soak
rm -rf "$out" && mkdir -p "$out"
build/release/bin/lumora-landscape "$out/data" >/dev/null

export HEAP_PROBE=$top/build/release/tools/liblumora-heap-probe.so
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash scripts/lib/soak_session.sh "$mode" "$top/$viewer" "$top/$out" "$@"
