#!/usr/bin/env bash
# Installs every Debian package that Lumora needs to build, run and test.
# Idempotent: prints nothing and changes nothing when all of them are there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libstb-dev libgtest-dev
  xvfb xauth xfonts-base xdotool x11-apps x11-utils imagemagick
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
