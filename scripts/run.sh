#!/usr/bin/env bash
# Sets up, builds the release viewer, every tool the packages ship (all in
# build/release/bin/, as when installed) and the default landscape, and starts
# lumora: on data/ when that folder holds data files (yours, or one made
# earlier with lumora-landscape), else on the default landscape. It never
# changes or deletes anything in data/. Without a display it runs the viewer
# in a window on a virtual one for about five seconds and leaves a screenshot.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

./scripts/setup.sh
# A few lines of progress here; the compiler's whole say goes to the log.
log="$top/build/release/build.log"
mkdir -p build/release
echo "run: building the viewer, its tools and the default landscape (log: $log)"
programs=(lumora lumora-landscape lumora-check lumora-snapshot lumora-bench lumora-render)
if ! { cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release &&
       cmake --build build/release -j"$(nproc)" --target "${programs[@]}" default-landscape; } >"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "run: the build failed; the whole log is in $log" >&2
  exit 1
fi
warnings=$(grep -c "warning:" "$log" || true)
(( warnings == 0 )) || echo "run: the build gave $warnings warnings (see $log)"
echo "run: built in $top/build/release/bin: ${programs[*]}"

bin="$top/build/release/bin"
lumora="$bin/lumora"
generator="$bin/lumora-landscape"
folder="$top/build/release/share/lumora/landscape"
mapfile -t names < <("$generator" --names)
for name in "${names[@]}"; do
  [[ -e "$top/data/$name" ]] && { folder="$top/data"; break; }
done
if [[ "$folder" == "$top/data" && -f data/landscape.version ]]; then
  version=$("$generator" --version)
  [[ "$(cat data/landscape.version)" == "$version" ]] ||
    echo "run: data/ was made by $(cat data/landscape.version); $generator data brings it up to $version"
fi
echo "run: the landscape in $folder"

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec "$lumora" "$folder"
fi

# No display: a short demonstration on a virtual one.
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
  bash "$top/scripts/lib/demo.sh" "$lumora" "$top/build/release/lumora-screenshot.png" "$folder"
