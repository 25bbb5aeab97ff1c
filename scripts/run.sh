#!/usr/bin/env bash
# Sets up, builds the release viewer and its default landscape, and starts
# lumora: on data/ when that folder holds data files (yours, or one made
# earlier with lumora-landscape), else on the default landscape. It never
# changes or deletes anything in data/. Without a display it runs the viewer
# in a window on a virtual one for about five seconds and leaves a screenshot.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

./scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target lumora default-landscape >/dev/null

lumora="$top/build/release/src/lumora"
generator="$top/build/release/tools/landscape/lumora-landscape"
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
