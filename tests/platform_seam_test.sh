#!/usr/bin/env bash
# The dependency rules of src/: only src/platform/ includes the window system's
# or the font stack's headers; nothing outside src/app/ includes a header of
# src/app/, shows a message box or ends the process, since what a failure
# costs is the application's decision; the drawing surfaces (src/surface/)
# and the import (src/import/) include nothing of the viewer above them; and
# the shell's state reaches no GL header, so what takes the shell needs none.
# CXX: the compiler that follows the shell's includes (default c++).
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
hits=$(grep -rnE '#include *"(app|scene|overlay|view)/' "$src/surface" "$src/import" --include='*.h' --include='*.cpp')
if [[ -n "$hits" ]]; then
  echo "the surfaces or the import include what stands above them:"; echo "$hits"; exit 1
fi
reached=$(echo '#include "app/shell_state.h"' | "${CXX:-c++}" -std=c++20 -x c++ -E -H -I "$src" - 2>&1 >/dev/null) || {
  echo "app/shell_state.h does not compile alone:"; echo "$reached"; exit 1
}
hits=$(grep -E '^\.+ .*/GL/' <<<"$reached")
if [[ -n "$hits" ]]; then
  echo "a GL header reachable from app/shell_state.h:"; echo "$hits"; exit 1
fi
echo "the platform seam holds; dependencies point down"
