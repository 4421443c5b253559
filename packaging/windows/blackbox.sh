#!/usr/bin/env bash
# The Windows game from the outside, under Wine on an X display (run through
# xvfb-run by test.sh): it starts from the unpacked zip with a saved game as its
# argument, is photographed, takes a path from another program's WM_COPYDATA and
# from its own second start (one of them with a name outside the ANSI code page),
# and saves to a slot; the slot's bytes must equal the Linux build's save of the
# same game.
#
#   blackbox.sh ZIP WINDOWS_SENDER LINUX_GOALVANTA WORK_FOLDER SCREEN_DUMP_FOLDER
set -euo pipefail
zip=$1 sender=$2 linux_game=$3 work=$4 fbdir=$5
here=$(cd "$(dirname "$0")" && pwd)

fail() { echo "blackbox: FAIL: $*" >&2; exit 1; }
say() { echo "blackbox: $*" >&2; }

# Waits up to $2 seconds for the file $1.
wait_file() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do [ -s "$1" ] && return 0; sleep 0.1; done
    return 1
}

# The newest visible window whose title is the game's, within $1 seconds.
find_window() {
    local i id
    for ((i = 0; i < $1 * 2; i++)); do
        id=$(xdotool search --onlyvisible --name '^Goalvanta' 2>/dev/null | tail -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.5
    done
    return 1
}

# Saves to slot $2 through the keyboard, as a player does: Alt+S, then the digit.
save_to_slot() {
    local window=$1 slot=$2
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.5
    xdotool key --window "$window" --clearmodifiers alt+s
    sleep 1
    xdotool key --clearmodifiers "$slot"
}

# Whatever this run started goes with it, also when a step fails: the Linux game
# by its process number, the Windows processes with the test prefix's wineserver.
linux_pid=
cleanup() {
    [ -n "$linux_pid" ] && kill "$linux_pid" 2>/dev/null
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
wineserver -k 2>/dev/null || true # a game a failed run left in the prefix

rm -rf "$work"
mkdir -p "$work/linux" "$work/run" "$work/files"
chmod 700 "$work/run"

# --- The Linux build: a saved game to start from, and its save of that game ----
cp "$linux_game" "$work/linux/goalvanta"
export XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
"$work/linux/goalvanta" >"$work/linux.log" 2>&1 &
linux_pid=$!
window=$(find_window 30) || fail "the Linux game shows no window"
save_to_slot "$window" 0
wait_file "$work/linux/savedata/00savedata.sav" 10 || fail "the Linux game did not save"
kill "$linux_pid"; wait "$linux_pid" 2>/dev/null || true
cp "$work/linux/savedata/00savedata.sav" "$work/files/given.gvs"

"$work/linux/goalvanta" "$work/files/given.gvs" >>"$work/linux.log" 2>&1 &
linux_pid=$!
window=$(find_window 30) || fail "the Linux game shows no window for the given save"
sleep 1
save_to_slot "$window" 1
wait_file "$work/linux/savedata/01savedata.sav" 10 || fail "the Linux game did not save the loaded game"
kill "$linux_pid"; wait "$linux_pid" 2>/dev/null || true
linux_pid=
unset QT_QPA_PLATFORM
say "Linux save of the given game: $(wc -c <"$work/linux/savedata/01savedata.sav") bytes"

# --- The Windows game, from its zip -------------------------------------------
# Nothing but the zip's own files: no Qt or runtime folder on the search path.
unset WINEPATH QT_PLUGIN_PATH
(cd "$work" && unzip -q "$zip")
program=$(find "$work" -maxdepth 2 -name goalvanta.exe | head -1)
[ -n "$program" ] || fail "no goalvanta.exe in the zip"
folder=$(dirname "$program")
export QT_FORCE_STDERR_LOGGING=1 QT_LOGGING_RULES="goalvanta.instance.info=true"
log=$work/windows.log
wine "$program" "Z:$work/files/given.gvs" >"$log" 2>&1 &
window=$(find_window 60) || { cat "$log" >&2; fail "the Windows game shows no window"; }
sleep 3
python3 "$here/xwd-to-png.py" "$fbdir/Xvfb_screen0" "$work/screenshot.png"
say "screenshot: $work/screenshot.png"

save_to_slot "$window" 1
wait_file "$folder/savedata/01savedata.sav" 15 || { cat "$log" >&2; fail "the Windows game did not save to its slot beside the program"; }
sleep 1
cmp "$folder/savedata/01savedata.sav" "$work/linux/savedata/01savedata.sav" ||
    fail "the slot's bytes differ from the Linux build's save of the same game"
say "slot file equals the Linux build's save ($(wc -c <"$folder/savedata/01savedata.sav") bytes)"

# Another program's WM_COPYDATA, as the external interface describes it.
cp "$work/files/given.gvs" "$work/files/sent.gvs"
answer=$(wine "$sender" "Z:$work/files/sent.gvs" 2>&1) || fail "WM_COPYDATA not taken: $answer"
[[ $answer == *"answer 1"* ]] || fail "WM_COPYDATA answer: $answer"
# A dwData other than 1 is not a hand-over.
if wine "$sender" "Z:$work/files/sent.gvs" 7 >/dev/null 2>&1; then
    fail "WM_COPYDATA with dwData 7 was taken"
fi

# The program's own second start: an ASCII name goes by WM_COPYDATA, one outside the
# ANSI code page by the socket; both reach the running game.
cp "$work/files/given.gvs" "$work/files/second.gvs"
cp "$work/files/given.gvs" "$work/files/$(printf '\xd0\x96\xe2\x82\xac\xe6\x97\xa5').gvs"
wine "$program" "Z:$work/files/second.gvs" >>"$work/second.log" 2>&1 ||
    fail "the second start did not hand over (see $work/second.log)"
wine "$program" "Z:$work/files/$(printf '\xd0\x96\xe2\x82\xac\xe6\x97\xa5').gvs" >>"$work/second.log" 2>&1 ||
    fail "the second start did not hand over a name outside the ANSI code page"
sleep 3
# Each reached the game: the ASCII names were loaded. The log shows a name's bytes
# beyond ASCII as \x escapes.
for name in sent.gvs second.gvs; do
    grep -a "hand-over of" "$log" | grep -aF "$name" | grep -aq "loaded" ||
        { grep -a "hand-over" "$log" >&2 || echo "blackbox: the game logged no hand-over" >&2; fail "$name was not loaded by the running game"; }
done
grep -a "hand-over of" "$log" | grep -aiF '\xd0\x96\xe2\x82\xac\xe6\x97\xa5.gvs' | grep -aq "taken" ||
    { grep -a "hand-over" "$log" >&2 || echo "blackbox: the game logged no hand-over" >&2; fail "the name outside the ANSI code page did not reach the game"; }
say "WM_COPYDATA and both second starts reached the running game"
say "PASS"
