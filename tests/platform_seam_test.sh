#!/usr/bin/env bash
# Only src/platform/ may include the window system's or the font stack's headers.
set -u
src=$1
hits=$(grep -rnE '#include *[<"](SDL|X11/|ft2build|freetype|fontconfig)' "$src" --include='*.h' --include='*.cpp' \
  | grep -v "^$src/platform/")
if [[ -n "$hits" ]]; then
  echo "platform headers outside src/platform:"; echo "$hits"; exit 1
fi
echo "the platform seam holds"
