#!/usr/bin/env bash
# Builds the .deb from the build tree and checks what apt will see: the program, the desktop
# files, and dependencies on the Qt libraries (found by shlibdeps) and the Japanese font.
#   check-deb.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 app_id=$2

out=$(mktemp -d "${TMPDIR:-/tmp}/cpksplit-deb.XXXXXX")
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$out"/cpksplit_*.deb)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
depended=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for package in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6 fonts-ipafont-gothic; do
  grep -qxF "$package" <<<"$depended" || fail "does not depend on $package"
done
[ "$(dpkg-deb -f "$deb" Package)" = cpksplit ] || fail "package name is not cpksplit"
[ -n "$(dpkg-deb -f "$deb" Section)" ] || fail "no section"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/cpksplit \
            ./usr/share/applications/$app_id.desktop \
            ./usr/share/metainfo/$app_id.metainfo.xml \
            ./usr/share/icons/hicolor/32x32/apps/$app_id.png \
            ./usr/share/icons/hicolor/256x256/apps/$app_id.png; do
  grep -qx "$file" <<<"$contents" || fail "does not hold $file"
done
# Only the program and its desktop files: no test helper or build tool may slip in.
stray=$(grep -v -e '/$' -e '^./usr/bin/cpksplit$' -e '^./usr/share/applications/' -e '^./usr/share/metainfo/' \
             -e '^./usr/share/icons/hicolor/' <<<"$contents" || true)
[ -z "$stray" ] || fail "holds unexpected files: $stray"

[ "$failures" -eq 0 ] && echo "package OK: $(basename "$deb")"
exit "$failures"
