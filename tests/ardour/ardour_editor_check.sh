#!/usr/bin/env bash
# Opens Tovin's own editor in Ardour 7 on a private Xvfb and checks it from the screen's pixels: the
# editor must be there, matching the picture tovin_snapshot draws of the same state, and dragging the
# output volume knob must turn it. Then Ardour saves the session (Ctrl+S in its main window): the saved
# file must hold the dragged volume, as Ardour's control for the parameter and in the plug-in's own state
# (Ardour reopening the file with that control taken out must find the dragged value).
# Usage: tests/ardour/ardour_editor_check.sh PATH/TO/Tovin.so OUT_DIR
# Needs Ardour 7 (ardour, ardour7-lua), Xvfb, xdotool, xwd, xwininfo and ImageMagick. tovin_snapshot is taken
# from beside the module (tools/snapshot/tovin_snapshot), or from $TOVIN_SNAPSHOT.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 PATH/TO/Tovin.so OUT_DIR" >&2; exit 2; }
module=$(realpath "$1")
out=$2
here=$(cd "$(dirname "$0")" && pwd)
snapshot=${TOVIN_SNAPSHOT:-$(dirname "$module")/tools/snapshot/tovin_snapshot}

fail() { echo "ardour_editor_check: FAIL: $*" >&2; exit 1; }
# shellcheck source=ardour_common.sh
. "$here/ardour_common.sh"
[ -f "$module" ] || fail "$module not found"
[ -x "$snapshot" ] || fail "$snapshot not found (build the target tovin_snapshot)"
for tool in ardour ardour7-lua Xvfb xdotool xwd xwininfo convert compare identify; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

mkdir -p "$out"
out=$(realpath "$out")
work=$(mktemp -d)
xvfb_pid=
ardour_pid=
cleanup() {
  # Ardour first (SIGTERM: it exits without saving), then its X server.
  if [ -n "$ardour_pid" ]; then
    kill -TERM "$ardour_pid" 2>/dev/null || true
    for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$ardour_pid" 2>/dev/null || break; sleep 0.5; done
    kill -KILL "$ardour_pid" 2>/dev/null || true
    wait "$ardour_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
started=$(date +%s.%N)
elapsed() { awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }

# A private Ardour (ardour_common.sh).
ardour_private_setup "$module" "$work"

# The reference: the editor of a fresh effect, drawn without a window. Ardour tells the effect it is
# not bypassed (effSetBypass 0), which sets General On: the reference has it on too.
reference="$out/reference.png"
timeout 20 "$snapshot" --install-dir "$TOVIN_INSTALL_DIRECTORY" --param 33=1 --output "$reference" >/dev/null ||
  fail "tovin_snapshot did not draw the reference"
read -r ref_w ref_h < <(identify -format '%w %h\n' "$reference")

ardour_scan "$work" "$out/scan.log"

timeout 60 ardour7-lua "$here/make_session.lua" "$work/session" tovin >"$out/session.log" 2>&1 ||
  fail "ardour7-lua did not create the session (see $out/session.log)"
route=$(sed -n 's/^ROUTE \([0-9]*\)$/\1/p' "$out/session.log")
processor=$(sed -n 's/^PROCESSOR \([0-9]*\)$/\1/p' "$out/session.log")
{ [ -n "$route" ] && [ -n "$processor" ]; } || fail "no route or processor id from the session script (see $out/session.log)"
# The GUI reopens the plug-in windows a session marks visible; custom-ui asks for the plug-in's own editor.
session_file="$work/session/tovin.ardour"
! grep -q '<Extra>' "$session_file" || fail "the session already holds an Extra element"
sed -i "s|^</Session>|  <Extra><UI><Window name=\"P-$route-$processor\" visible=\"1\" custom-ui=\"1\"/></UI></Extra>\n</Session>|" \
  "$session_file"
grep -q "P-$route-$processor" "$session_file" || fail "could not mark the editor window visible in $session_file"
# Ardour's control of a parameter of Tovin's, as the session file holds it.
volume_index=20  # General Volume, the output volume knob
saved_control() {  # FILE INDEX
  sed -n "s|.*<Controllable name=\"[^\"]*\" id=\"[0-9]*\" flags=\"[^\"]*\" value=\"\([^\"]*\)\" parameter=\"$2\"/>.*|\1|p" "$1"
}
volume_before=$(saved_control "$session_file" "$volume_index")
[ -n "$volume_before" ] || fail "the new session holds no control for parameter $volume_index (see $session_file)"

# A free display: Xvfb writes its number to fd 3 once it accepts clients.
timeout 120 Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$out/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start (see $out/xvfb.log)"
DISPLAY=":$(cat "$work/display")"
export DISPLAY

timeout -k 5 120 ardour -n -a "$session_file" >"$out/ardour.log" 2>&1 &
ardour_pid=$!
title='T: Tovin \(by Corvane\) \[VST\]'
window=$(timeout 40 xdotool search --sync --name "$title" | head -n 1) ||
  fail "no window '$title' within 40 s (see $out/ardour.log)"
opened=$(elapsed)

# The window's place and size on the root window.
geometry() {
  xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}
shoot() {  # FILE: the plug-in window, cut from a screenshot of the root window
  { read -r win_x win_y win_w win_h < <(geometry) && [ -n "$win_h" ]; } || fail "the plug-in window is gone (see $out/ardour.log)"
  xwd -root -silent | convert xwd:- -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage "$1"
}
differing() {  # IMAGE GEOMETRY REFERENCE: how many pixels of IMAGE's region GEOMETRY differ from REFERENCE
  compare -metric AE "$1[$2]" "$3" null: 2>&1 || true
}
# Offsets in the window of its descendant X windows of the editor's size: the likely places.
candidates() {
  xwininfo -tree -id "$window" | awk -v size="${ref_w}x${ref_h}" -v wx="$win_x" -v wy="$win_y" '
    { for (i = 1; i < NF; i++) if (index($i, size "+") == 1 && split($(i + 1), a, "+") == 3) print a[2] - wx, a[3] - wy }'
}
# Where the editor lies in the window: the offset whose region differs least from the reference, tried
# first at the candidates, then everywhere until a perfect match or the deadline.
locate() {  # IMAGE DEADLINE: sets best, ed_x, ed_y
  best=-1
  local x y
  while read -r x y; do
    try_offset "$1" "$x" "$y"
    [ "$best" -eq 0 ] && return
  done < <(candidates)
  for ((y = 0; y <= win_h - ref_h; y++)); do
    for ((x = 0; x <= win_w - ref_w; x++)); do
      try_offset "$1" "$x" "$y"
      [ "$best" -eq 0 ] && return
      [ "$(date +%s)" -lt "$2" ] || return 0
    done
  done
}
try_offset() {  # IMAGE X Y
  [ "$2" -ge 0 ] && [ "$3" -ge 0 ] && [ "$2" -le $((win_w - ref_w)) ] && [ "$3" -le $((win_h - ref_h)) ] || return 0
  local n
  n=$(differing "$1" "${ref_w}x${ref_h}+$2+$3" "$reference")
  [[ $n =~ ^[0-9]+$ ]] || return 0
  if [ "$best" -lt 0 ] || [ "$n" -lt "$best" ]; then best=$n; ed_x=$2; ed_y=$3; fi
}

# Ardour resizes the window after asking the editor's size; the editor draws on its first Expose.
shown="$out/editor.png"
total=$((ref_w * ref_h))
match=0
deadline=$(($(date +%s) + 20))
while :; do
  sleep 0.5
  shoot "$shown"
  if [ "$win_w" -ge "$ref_w" ] && [ "$win_h" -ge "$ref_h" ]; then
    locate "$shown" "$deadline"
    match=$(awk -v t="$total" -v d="$best" 'BEGIN { printf "%.2f", d < 0 ? 0 : 100 * (t - d) / t }')
    awk -v m="$match" 'BEGIN { exit !(m >= 95) }' && break
  fi
  if [ "$(date +%s)" -ge "$deadline" ]; then
    xwininfo -tree -id "$window" >"$out/window-tree.txt" 2>&1 || true
    fail "the window ${win_w}x${win_h} does not show Tovin's editor: best match ${match}% of pixels (want >= 95%); screenshot $shown, reference $reference, log $out/ardour.log, X windows $out/window-tree.txt"
  fi
done
echo "ardour_editor_check: editor shown at +$ed_x+$ed_y in the ${win_w}x${win_h} window, ${match}% of pixels as the reference"

# Drag the output volume knob (editor 558..594 x 203..235) 40 px up from its centre.
knob="36x32+$((ed_x + 558))+$((ed_y + 203))"
convert "$shown" -crop "$knob" +repage "$work/knob.png"
xdotool mousemove "$((win_x + ed_x + 576))" "$((win_y + ed_y + 219))"
sleep 0.1
xdotool mousedown 1
for _ in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- 0 -5; sleep 0.05; done
xdotool mouseup 1
dragged="$out/editor-dragged.png"
turned=0
deadline=$(($(date +%s) + 5))
while :; do
  sleep 0.3
  shoot "$dragged"
  turned=$(differing "$dragged" "$knob" "$work/knob.png")
  [[ $turned =~ ^[0-9]+$ ]] || turned=0
  [ "$turned" -ge 20 ] && break
  [ "$(date +%s)" -lt "$deadline" ] ||
    fail "the output volume knob did not turn: $turned pixels of its region changed (want >= 20); screenshots $shown and $dragged"
done
echo "ardour_editor_check: the drag turned the output volume knob ($turned of $((36 * 32)) pixels changed)"
if grep -qi 'X Error\|BadAccess\|BadMatch\|BadWindow' "$out/ardour.log"; then
  fail "X errors in Ardour's log: $(grep -i -m 3 'X Error\|BadAccess\|BadMatch\|BadWindow' "$out/ardour.log")"
fi
kill -0 "$ardour_pid" 2>/dev/null || fail "Ardour exited (see $out/ardour.log)"

# Ctrl+S in Ardour's main window ("*tovin - Ardour" while unsaved), then wait for the file to be rewritten.
main=$(xdotool search --onlyvisible --name '^\*?tovin - Ardour$' | head -n 1) || true
[ -n "$main" ] || fail "no main window 'tovin - Ardour' to save from"
touch "$work/before-save"
sleep 0.1  # the marker strictly older than any save
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+s
deadline=$(($(date +%s) + 10))
until [ "$session_file" -nt "$work/before-save" ]; do
  [ "$(date +%s)" -lt "$deadline" ] || fail "Ardour did not save the session within 10 s of Ctrl+S (see $out/ardour.log)"
  sleep 0.2
done
cp "$session_file" "$out/saved.ardour"
# 40 px up of the 200 that cover the knob's range.
volume_saved=$(saved_control "$session_file" "$volume_index")
awk -v b="$volume_before" -v s="$volume_saved" 'BEGIN { d = s - b - 0.2; exit !(s != "" && d < 0.01 && d > -0.01) }' ||
  fail "the saved session holds '$volume_saved' for the volume (parameter $volume_index), not $volume_before + 0.2 as dragged (see $out/saved.ardour)"
echo "ardour_editor_check: the saved session holds the dragged volume: $volume_before -> $volume_saved"

# The plug-in's state alone: Ardour stopped (SIGTERM: no further save), its control for the volume taken
# out of the file, and the session reopened.
kill -TERM "$ardour_pid" 2>/dev/null || true
wait "$ardour_pid" 2>/dev/null || true
ardour_pid=
sed -i "/<Controllable [^>]* parameter=\"$volume_index\"\/>/d" "$session_file"
[ -z "$(saved_control "$session_file" "$volume_index")" ] || fail "could not take the volume's control out of $session_file"
# The stopped GUI leaves its window state file empty, and ardour7-lua 7.3 reading an empty one dies at exit
# (ld.so: "_dl_close_worker: Assertion ... failed"); it holds window state only.
rm -f "$work/session/instant.xml"
cat >"$work/read_volume.lua" <<LUA
ARDOUR.config():set_hide_dummy_backend(false)
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no Dummy backend")
local session = load_session(arg[1], arg[2])
assert(session, "the session did not load")
local plugin = session:route_by_name("T"):nth_plugin(0)
assert(not plugin:isnil(), "no plug-in on the track")
print("VOLUME " .. ARDOUR.LuaAPI.get_processor_param(plugin, $volume_index, true))
close_session()
LUA
timeout 60 ardour7-lua "$work/read_volume.lua" "$work/session" tovin >"$out/reopen.log" 2>&1 ||
  fail "ardour7-lua could not reopen the saved session (see $out/reopen.log)"
volume_reopened=$(sed -n 's/^VOLUME \([0-9.eE+-]*\)$/\1/p' "$out/reopen.log")
awk -v s="$volume_saved" -v r="$volume_reopened" 'BEGIN { d = r - s; exit !(r != "" && d < 1e-4 && d > -1e-4) }' ||
  fail "reopened from the plug-in's saved state the volume is '$volume_reopened', not the dragged $volume_saved (see $out/reopen.log)"
echo "ardour_editor_check: reopened from the plug-in's saved state alone, the volume is $volume_reopened"

echo "ardour_editor_check: passed in $(elapsed) s (window after $opened s)"
echo "  editor:    $shown"
echo "  dragged:   $dragged"
echo "  reference: $reference"
echo "  saved:     $out/saved.ardour"
