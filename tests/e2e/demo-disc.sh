#!/usr/bin/env bash
# The demo disc script: a sparse archive of the exact disc length, in ./demo-disc or the
# folder named, and never over a file that could be a real archive.
#   demo-disc.sh MAKE_DEMO_DISC_SCRIPT
set -uo pipefail
script=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/cpksplit-demo.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_archive CASE PATH LENGTH: PATH is a sparse file of LENGTH bytes
expect_archive() {
  if [ ! -f "$2" ]; then fail "$1: no archive at $2"; return; fi
  [ "$(stat -c %s "$2")" = "$3" ] || fail "$1: $(stat -c %s "$2") bytes, expected $3"
  # A sparse file of this length occupies next to nothing; a written one 200 MB.
  [ "$(stat -c %b "$2")" -le 2048 ] || fail "$1: not sparse ($(stat -c %b "$2") blocks)"
}

# case, arguments ("-" for none), the archive it must make, its length
while read -r name args archive length; do
  [ "$args" = - ] && args=
  mkdir -p "$work/$name"
  # shellcheck disable=SC2086
  (cd "$work/$name" && bash "$script" $args >/dev/null) || fail "$name: the script failed"
  expect_archive "$name" "$work/$name/$archive" "$length"
done <<'CASES'
default-folder  -         demo-disc/mildor4  208545792
folder-named    mine      mine/mildor4       208545792
disc1           --disc1   demo-disc/mildor4  255995904
CASES

# A demo archive is replaced by the next run's, here DISC2's by DISC1's.
(cd "$work/default-folder" && bash "$script" --disc1 >/dev/null) || fail "a second run over a demo archive failed"
expect_archive "second run" "$work/default-folder/demo-disc/mildor4" 255995904

# A file of another length, or a full one of the right length, may be a real copy: keep it.
mkdir -p "$work/real"
printf 'not a demo' >"$work/real/mildor4"
bash "$script" "$work/real" >/dev/null 2>&1 && fail "overwrote a file of another length"
[ "$(cat "$work/real/mildor4")" = "not a demo" ] || fail "changed a file of another length"
mkdir -p "$work/copy"
head -c 208545792 /dev/zero | tr '\0' 'x' >"$work/copy/mildor4"
bash "$script" "$work/copy" >/dev/null 2>&1 && fail "overwrote a written archive of the disc length"
[ "$(head -c 1 "$work/copy/mildor4")" = x ] || fail "changed a written archive of the disc length"

bash "$script" --bogus >/dev/null 2>&1 && fail "took an unknown option"

[ "$failures" -eq 0 ] && echo "demo disc script OK"
exit "$failures"
