#!/usr/bin/env bash
# Installs every Debian package that Lumora needs to build, run and test, on a
# bare Debian 12 machine. Packages are installed without their recommendations,
# so everything that the commands use is named here, even what a full desktop
# would bring along (the X core fonts, for one: without them the virtual
# display cannot show a message box).
# Idempotent: prints nothing and changes nothing when all of them are there.
set -euo pipefail

packages=(
  # build, the test build's build tool and linker, and the icon rendered from
  # its drawing
  build-essential cmake pkg-config file ninja-build mold librsvg2-bin
  # the viewer: window, GL and GLU on Mesa's software renderer, the overlay font
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev libxrandr-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # image writing in the tools and tests, unit tests, fuzzing
  libstb-dev libgtest-dev clang libclang-rt-14-dev
  # the tools' command lines, read by one parser
  libcli11-dev
  # elevation models, pictures and tracks read by the generator (never linked
  # into the viewer), and GDAL's own commands that the tests check against
  libgdal-dev gdal-bin
  # the socket filter of the generator's and the render's sandbox, the only
  # wall where the kernel has no Landlock (never linked into the viewer)
  libseccomp-dev
  # the fine ground and its picture, read by the viewer in tiles (GDAL writes them)
  libtiff-dev
  # JSON: the viewer's landscape.geo.json, the benchmark's figures, and a
  # GeoJSON track's coordinate systems, read before GDAL opens it
  nlohmann-json3-dev
  # video written by the render (never linked into the viewer); ffprobe and
  # ffmpeg read it back in the tests
  libavcodec-dev libavformat-dev libswscale-dev ffmpeg
  # a virtual display with the fonts its message boxes need, scripted input,
  # window inspection and screenshots; the programs a run starts (strace)
  xvfb xauth xfonts-base xdotool x11-apps x11-utils imagemagick strace
  # a window manager on the virtual display, to move, maximise and focus by;
  # the display's modes read back (xrandr)
  openbox wmctrl x11-xserver-utils
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
