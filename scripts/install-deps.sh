#!/usr/bin/env bash
# Installs the Debian packages that the project needs and that are not there yet.
#   scripts/install-deps.sh run    what building and running the program needs
#   scripts/install-deps.sh test   that, plus what the tests and the package checks need
# Works as root and as a user who may use sudo.
set -euo pipefail

run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libcdio-dev libiso9660-dev
  fonts-ipafont-gothic
)
test_packages=(
  googletest
  xvfb xauth xdotool x11-utils imagemagick
  genisoimage
  desktop-file-utils appstream dpkg-dev file
)

packages=("${run_packages[@]}")
[ "${1:-run}" = test ] && packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
