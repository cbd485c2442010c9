#!/usr/bin/env bash
# The installed program in a real X server, driven as a user drives it: it must show its
# window at the right size, take an output folder typed into its field and a disc folder
# chosen through the drive selector, and cut all 19 movies of a DISC2 archive byte-exact.
#   split-all.sh BUILD_DIR MOVIE_FILES_TOOL ARTIFACT_DIR [DPI]
# With DPI, the X server announces that logical dpi (Xft.dpi) as a desktop's settings do.
# Exit 77 (skipped) when there is no Xvfb to run it in.
set -euo pipefail
build=$1 movie_files=$2 artifacts=$3 xft_dpi=${4:-}

title='ミルドア動画分割'
# The tools print window names in the locale's encoding; the test may run in the C locale.
xdotool() { LC_ALL=C.UTF-8 command xdotool "$@"; }
xprop() { LC_ALL=C.UTF-8 command xprop "$@"; }
timeout_window=20 timeout_dialog=20 timeout_split=120

for tool in Xvfb xdotool xwininfo xprop import compare; do
  if ! command -v "$tool" >/dev/null; then
    [ "$tool" = Xvfb ] && { echo "SKIP: no Xvfb"; exit 77; }
    echo "FAIL: $tool is missing"; exit 1
  fi
done

mkdir -p "$artifacts"
rm -f "$artifacts"/*.png
work=$(mktemp -d "${TMPDIR:-/tmp}/cpksplit-e2e.XXXXXX")
xvfb="" app=""
cleanup() {
  for pid in $app $xvfb; do
    if kill "$pid" 2>/dev/null; then wait "$pid" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -z "${DISPLAY:-}" ] || timeout 10 import -window root "$artifacts/split-all-failed.png" 2>/dev/null || true; exit 1; }

# Polls `condition` every tenth of a second for at most `seconds`.
wait_for() {
  local seconds=$1; shift
  local tries=$((seconds * 10))
  while ! "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    [ -z "$app" ] || kill -0 "$app" 2>/dev/null || fail "the program ended unexpectedly"
    sleep 0.1
  done
}

# --- an X server of its own, on the first free display ---
# -noreset: the server would drop the root window's resources when xprop disconnects.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display=$(head -n 1 "$work/display")
export DISPLAY=:$display

if [ -n "$xft_dpi" ]; then
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$xft_dpi
" || fail "cannot set Xft.dpi"
fi
# Qt takes the logical dpi from the Xft.dpi resource and falls back to 96.
dpi=$(xprop -root RESOURCE_MANAGER 2>/dev/null | sed -n 's/.*Xft\.dpi:\\t*\([0-9]*\).*/\1/p')
dpi=${dpi:-96}
# A position or size of the 120-dpi layout in screen pixels, rounded.
px() { echo $(( ($1 * dpi + 60) / 120 )); }
# The centre of a control given by its layout rectangle.
centre() { echo $(( ((2 * $1 + $3) * dpi + 120) / 240 )) $(( ((2 * $2 + $4) * dpi + 120) / 240 )); }

# --- the build, installed the way a user installs it ---
cmake --install "$build" --prefix "$work/prefix" >/dev/null
program=$work/prefix/bin/cpksplit
[ -x "$program" ] || fail "the install put no program at bin/cpksplit"

disc=$work/disc out=$work/out
mkdir -p "$disc" "$out"
"$movie_files" write "$disc/mildor4" 2 || fail "cannot write the DISC2 archive"

(cd "$work" && exec env QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= "$program") >"$work/program.log" 2>&1 &
app=$!

# The title as window managers show it, from _NET_WM_NAME: in the C locale Qt writes the
# legacy WM_NAME, which xdotool's --name matches, as Latin-1.
main_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    [ "$(xprop -id "$w" _NET_WM_NAME)" = "_NET_WM_NAME(UTF8_STRING) = \"$title\"" ] && { echo "$w"; return 0; }
  done
  return 0
}
has_main_window() { [ -n "$(main_window)" ]; }
wait_for "$timeout_window" has_main_window || fail "no window titled $title within ${timeout_window}s"
wid=$(main_window)

# --- the window: its client area is the layout's 348x307 at the screen's dpi ---
read -r width height < <(xwininfo -id "$wid" | awk -F: '/^ *Width:/ {w = $2 + 0} /^ *Height:/ {h = $2 + 0} END {print w, h}')
want_width=$(px 348) want_height=$(px 307)
echo "window $wid: ${width}x${height} at ${dpi} dpi, expected ${want_width}x${want_height}"
within_2() { local d=$(( $1 - $2 )); [ "${d#-}" -le 2 ]; }
if ! within_2 "$width" "$want_width" || ! within_2 "$height" "$want_height"; then
  fail "client area ${width}x${height}, expected ${want_width}x${want_height} within 2 px"
fi

click() {  # click LEFT TOP WIDTH HEIGHT: the centre of a control of the layout
  # shellcheck disable=SC2046
  xdotool mousemove --window "$wid" $(centre "$@") click 1
}

# A mapped window may not be painted yet: wait until two pictures of it in a row agree.
# import asks for a click when the window is gone: never let it wait for one.
snapshot() { timeout 10 import -window "$wid" "$1" 2>/dev/null; }
settled() {
  snapshot "$work/now.png" || return 1
  local same=1
  [ -f "$work/before.png" ] && compare -metric AE "$work/before.png" "$work/now.png" null: 2>/dev/null && same=0
  mv "$work/now.png" "$work/before.png"
  return $same
}
screenshot() { rm -f "$work/before.png"; wait_for 10 settled && cp "$work/before.png" "$artifacts/$1"; }
screenshot start.png || fail "cannot take a screenshot of the window"
timeout 10 import -window root "$artifacts/screen.png" || fail "cannot take a screenshot of the screen"

# --- the output folder, typed over the field's text ---
click 56 216 217 23
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$out/"

# --- the disc: "フォルダを指定..." in the drive selector opens the folder dialog ---
# The program's other visible windows, told apart by the type Qt gives them.
window_type() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null; }
windows_of_type() {  # windows_of_type REGEX: visible windows besides the main one whose type matches
  local w
  for w in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    [ "$w" != "$wid" ] && window_type "$w" | grep -Eq "$1" && echo "$w"
  done
  return 0
}
popup_open() { [ -n "$(windows_of_type '= _NET_WM_WINDOW_TYPE_(NORMAL|COMBO|DROPDOWN|POPUP)')" ]; }
dialog_window() { windows_of_type '_DIALOG' | head -n 1; }
has_dialog() { [ -n "$(dialog_window)" ]; }

click 8 32 145 21
wait_for "$timeout_dialog" popup_open || fail "the drive selector did not open its list"
# The list holds the volumes, then the two choosers; the folder one is second from the end.
xdotool key End Up Return
wait_for "$timeout_dialog" has_dialog || fail "the folder dialog did not open"
dialog=$(dialog_window)
echo "folder dialog $dialog: $(xdotool getwindowname "$dialog")"
xdotool type --delay 5 "$disc"
# The file-name completer may take the first Return for itself; press again until it is gone.
dialog_gone() { ! xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -qx "$dialog"; }
for _ in 1 2 3; do
  xdotool key Return
  wait_for 3 dialog_gone && break
done
dialog_gone || fail "the folder dialog did not take $disc"

# --- split all, then wait until every movie has its length and every byte is right ---
click 8 136 145 33
# The cheap length test first; the full comparison only once the lengths are all there.
finished() { "$movie_files" sizes 2 "$out" && "$movie_files" check "$disc/mildor4" 2 "$out" >/dev/null; }
if ! wait_for "$timeout_split" finished; then
  ls -l "$out"; cat "$work/program.log"
  "$movie_files" check "$disc/mildor4" 2 "$out" || true
  fail "the 19 movies were not all there and byte-exact within ${timeout_split}s"
fi
kill -0 "$app" 2>/dev/null || fail "the program ended during or after the split"
screenshot split-all-done.png || true
echo "PASS: 19 movies cut byte-exact into $out"
