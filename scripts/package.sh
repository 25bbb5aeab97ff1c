#!/usr/bin/env bash
# Builds what the packages ship, and nothing else (no tests), in the release
# configuration, and packs it: build/release/lumora_VERSION_ARCH.deb (the
# viewer) and build/release/lumora-tools_VERSION_ARCH.deb (its tools).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

./scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DLUMORA_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" >/dev/null
cd build/release
rm -f ./*.deb
cpack -G DEB >/dev/null
ls "$PWD"/*.deb
