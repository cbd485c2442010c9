#!/usr/bin/env bash
# Builds the Debian package in build-package/ (or $BUILD_DIR) and shows what it holds and
# depends on.
#   scripts/package.sh           build the .deb
#   scripts/package.sh --check   also install it with apt (as root), start /usr/bin/cpksplit
#                                under Xvfb until its window shows, then remove the package
set -euo pipefail
cd "$(dirname "$0")/.."
check=${1:-}
build=${BUILD_DIR:-build-package}

scripts/install-deps.sh test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build"
(cd "$build" && cpack -G DEB)
deb=$build/cpksplit_$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")_$(dpkg --print-architecture).deb
case $deb in /*) ;; *) deb=./$deb ;; esac
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"
echo "Built $deb"
[ "$check" = --check ] || exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
app="" xvfb="" display_file=$(mktemp)
# shellcheck disable=SC2317  # runs from the trap
cleanup() {
  for pid in $app $xvfb; do kill "$pid" 2>/dev/null || true; done
  rm -f "$display_file"
  "${as_root[@]}" apt-get remove -y cpksplit >/dev/null
}
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"
trap cleanup EXIT

Xvfb -displayfd 3 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
display=$(cat "$display_file")
export DISPLAY=:$display
QT_QPA_PLATFORM=xcb /usr/bin/cpksplit &
app=$!
# The title as window managers read it (_NET_WM_NAME), whatever the locale.
shows_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    [ "$(LC_ALL=C.UTF-8 xprop -id "$w" _NET_WM_NAME)" = '_NET_WM_NAME(UTF8_STRING) = "ミルドア動画分割"' ] && return 0
  done
  return 1
}
for _ in $(seq 100); do
  if shows_window; then
    echo "/usr/bin/cpksplit shows its window on $DISPLAY."
    exit 0
  fi
  kill -0 "$app" 2>/dev/null || { echo "/usr/bin/cpksplit ended without a window" >&2; exit 1; }
  sleep 0.1
done
echo "/usr/bin/cpksplit showed no window within 10 s" >&2
exit 1
