#!/usr/bin/env bash
# The dependency rules of src/: only src/platform/ includes the window system's
# or the font stack's headers; nothing outside src/app/ includes a header of
# src/app/, shows a message box or ends the process, since what a failure
# costs is the application's decision.
set -u
src=$1
hits=$(grep -rnE '#include *[<"](SDL|X11/|ft2build|freetype|fontconfig)' "$src" --include='*.h' --include='*.cpp' \
  | grep -v "^$src/platform/")
if [[ -n "$hits" ]]; then
  echo "platform headers outside src/platform:"; echo "$hits"; exit 1
fi
hits=$(grep -rn '#include "app/' "$src" --include='*.h' --include='*.cpp' | grep -v "^$src/app/")
if [[ -n "$hits" ]]; then
  echo "headers of src/app included from below it:"; echo "$hits"; exit 1
fi
hits=$(grep -rnE '\b(std::)?(_?exit|_Exit|quick_exit|abort)\(' "$src" --include='*.h' --include='*.cpp' | grep -v "^$src/app/")
if [[ -n "$hits" ]]; then
  echo "the process ended outside src/app:"; echo "$hits"; exit 1
fi
hits=$(grep -rnE '\b(showMessageBox|showErrorBox)\(' "$src" --include='*.h' --include='*.cpp' \
  | grep -v -e "^$src/app/" -e "^$src/platform/")
if [[ -n "$hits" ]]; then
  echo "a message box shown outside src/app:"; echo "$hits"; exit 1
fi
echo "the platform seam holds; dependencies point down"
