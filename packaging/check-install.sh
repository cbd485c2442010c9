#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the desktop integration as it lands:
# every name the entry and the metainfo refer to exists, and the icons are the one picture.
#   check-install.sh BUILD_DIR APP_ID [--with-program]
set -euo pipefail
build=$1 app_id=$2 with_program=${3:-}

prefix=$(mktemp -d "${TMPDIR:-/tmp}/cpksplit-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

entry=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
[ -f "$entry" ] || fail "no desktop entry at ${entry#"$prefix"/}"
[ -f "$metainfo" ] || fail "no metainfo at ${metainfo#"$prefix"/}"
[ "$failures" -eq 0 ] || exit 1

desktop-file-validate "$entry" || fail "installed desktop entry does not validate"

exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon_name=$(sed -n 's/^Icon=//p' "$entry")
[ "$icon_name" = "$app_id" ] || fail "Icon=$icon_name, expected $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not launch $app_id.desktop"
grep -q "<binary>$exec_name</binary>" "$metainfo" || fail "metainfo does not provide $exec_name"
if [ "$with_program" = --with-program ]; then
  [ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not installed in bin/"
fi

# Width and height stand big-endian at bytes 16..23 of every PNG.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", ($1*2^24)+($2*2^16)+($3*2^8)+$4, ($5*2^24)+($6*2^16)+($7*2^8)+$8 }'; }
for size in 32 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon_name.png
  if [ ! -f "$png" ]; then fail "no ${size}x${size} icon"; continue; fi
  [ "$(png_size "$png")" = "${size}x${size}" ] || fail "${size}x${size} icon is $(png_size "$png")"
done

# The large icon must be the small one scaled without smoothing: every 8x8 block is one
# pixel of the original, so sampling one pixel a block gives back the original exactly.
small=$prefix/share/icons/hicolor/32x32/apps/$icon_name.png
large=$prefix/share/icons/hicolor/256x256/apps/$icon_name.png
if [ -f "$small" ] && [ -f "$large" ]; then
  sampled=$prefix/sampled.png
  convert "$large" -sample 32x32 "$sampled"
  differing=$(compare -metric AE "$small" "$sampled" null: 2>&1 || true)
  [ "$differing" = 0 ] || fail "256x256 icon is not the 32x32 picture scaled up ($differing pixels differ)"
  corners=$(convert "$large" -format '%[pixel:p{0,0}] %[pixel:p{255,255}]' info:)
  case $corners in *none*|*'srgba(0,0,0,0)'*) ;; *) fail "transparent corners lost: $corners" ;; esac
fi

[ "$failures" -eq 0 ] && echo "install layout OK"
exit "$failures"
