#!/usr/bin/env bash
# Vorpane.EXE end to end under wine64 in Xvfb, driven by keys with xdotool:
# a game folder from the registry, Extract (with the package question answered
# both ways and a file already installed), Delete, Compact (refused on a
# read-only cache.ini, then done), the about box from the system menu,
# closing, Escape; then a folder without a cache and no registry entry at
# all, each ending in the folder browser, cancelled; and the game folder
# picked in the browser. Checked by what is on disk and by the boxes' titles.
# usage: e2e.sh <Vorpane.EXE> <send_syscommand.exe> <wine prefix>
set -euo pipefail

exe=$1
helper=$2
prefix=$3
here=$(cd "$(dirname "$0")" && pwd)
wine=${VORPANE_WINE:-/usr/lib/wine/wine64}
wineserver=${VORPANE_WINESERVER:-/usr/lib/wine/wineserver}

work=$(mktemp -d "${TMPDIR:-/tmp}/vorpane-e2e.XXXXXX")
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "windows on screen:" >&2
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        echo "  $(xdotool getwindowname "$id" 2>/dev/null)" >&2
    done
    exit 1
}

# Bounded waits: 0.1 s steps, about 20 s at most.
wait_window() {
    local id
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$1\""
}
wait_gone() {
    for _ in $(seq 1 200); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window \"$1\" stays open"
}
wait_until() {
    local what=$1
    shift
    for _ in $(seq 1 200); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what"
}
focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    sleep 0.2
}
visible_titles() {
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        xdotool getwindowname "$id" 2>/dev/null || true
    done
}

# The game folder: six cache files a second apart (so the list's order is
# known and they make one download batch), one index line without a file,
# and a map that is installed already.
game=$work/UT
mkdir -p "$game/Cache" "$game/Maps" "$game/System" "$game/Textures"
second=0
for key in A B C D E F; do
    printf 'content %s' "$key" >"$game/Cache/$key.uxx"
    second=$((second + 1))
    touch -d "2001-08-12 06:35:0$second UTC" "$game/Cache/$key.uxx"
done
printf 'installed' >"$game/Maps/Dup.unr"
printf '[Cache]\r\nA=Face.unr\r\nB=Pack.u\r\nC=Rock.utx\r\nD=notes.txt\r\nE=Dup.unr\r\nF=Other.u\r\nGONE=Missing.unr\r\n\r\n' \
    >"$game/Cache/cache.ini"

# The installation entry where the 32-bit game writes it, and windows drawn
# by Wine itself (caption and system menu), since no window manager runs.
windows_path="Z:$(printf '%s' "$game" | tr / '\\')"
"$here/wine-run" "$prefix" reg add \
    'HKLM\Software\Wow6432Node\Unreal Technology\Installed Apps\UnrealTournament' \
    /v Folder /d "$windows_path" /f >/dev/null
"$here/wine-run" "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

# A Wine session still running in this prefix would keep its own display.
WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true
WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null || true

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_until "Xvfb did not start" test -s "$work/display"
export DISPLAY=:$(head -1 "$work/display")

"$here/wine-run" "$prefix" "$exe" >"$work/vorpane.log" 2>&1 &
app_pid=$!
main=$(wait_window "Halden's Vorpane")
sleep 0.5
extra=$(visible_titles | grep -v "^Halden's Vorpane\$" || true)
[ -z "$extra" ] || fail "unexpected windows at start: $extra"

# Extract: select the six rows, Enter runs the default button. In list
# order: Pack.u asks (Yes), Dup.unr is installed already, Other.u asks (Enter
# takes the default, No).
focus "$main"
for _ in 1 2 3 4 5 6; do
    xdotool key space Down
done
xdotool key Return
box=$(wait_window 'Mutator Encountered')
focus "$box"
xdotool key y
box=$(wait_window 'Could NOT Extract Dup\.unr')
focus "$box"
xdotool key Return
box=$(wait_window 'Mutator Encountered')
focus "$box"
xdotool key Return
wait_gone 'Mutator Encountered'
extracted() {
    [ -f "$game/Maps/Face.unr" ] && [ -f "$game/System/Pack.u" ] && [ -f "$game/Textures/Rock.utx" ]
}
wait_until "files not extracted" extracted
[ "$(cat "$game/Maps/Face.unr")" = "content A" ] || fail "Maps/Face.unr has the wrong content"
[ "$(cat "$game/Maps/Dup.unr")" = "installed" ] || fail "an installed map was replaced"
[ -f "$game/Cache/E.uxx" ] || fail "the refused file left the cache"
[ ! -e "$game/Cache/A.uxx" ] || fail "an extracted file is still in the cache"
[ -f "$game/Cache/F.uxx" ] && [ ! -e "$game/System/Other.u" ] || fail "a package moved without a Yes"

# Delete: the three rows left (notes.txt has no folder to go to, Dup.unr was
# refused, Other.u declined); Tab goes Extract, About, Compact, Delete.
focus "$main"
xdotool key space Down space Down space
xdotool key Tab Tab Tab Tab space
deleted() {
    [ ! -e "$game/Cache/D.uxx" ] && [ ! -e "$game/Cache/E.uxx" ] && [ ! -e "$game/Cache/F.uxx" ]
}
wait_until "files not deleted" deleted
[ -z "$(visible_titles | grep -v "^Halden's Vorpane\$" || true)" ] || fail "a box after Delete"

# Compact while cache.ini is read-only: the file error report, captioned with
# the program's name, and cache.ini as it was.
before=$(od -An -c "$game/Cache/cache.ini")
chmod a-w "$game/Cache/cache.ini"
xdotool key shift+Tab space
box=$(wait_window 'Vorpane')
focus "$box"
xdotool key Return
wait_gone 'Vorpane'
[ "$(od -An -c "$game/Cache/cache.ini")" = "$before" ] || fail "a read-only cache.ini changed"
[ "$(ls "$game/Cache")" = "cache.ini" ] || fail "files left in the cache: $(ls "$game/Cache")"

# Compact again, allowed now. Only the header and an empty line remain.
chmod u+w "$game/Cache/cache.ini"
focus "$main"
xdotool key space
compacted() { [ "$(od -An -c "$game/Cache/cache.ini" | tr -d ' \n')" = '[Cache]\r\n\r\n' ]; }
wait_until "cache.ini not compacted" compacted
[ "$(ls "$game/Cache")" = "cache.ini" ] || fail "files left in the cache: $(ls "$game/Cache")"

# The about box from the system menu: our entry is its last item.
focus "$main"
xdotool key alt+space
sleep 0.5
xdotool key End Return
about=$(wait_window 'About Vorpane')
focus "$about"
xdotool key Return
wait_gone 'About Vorpane'

# The same command with the low four bits set, as the system may send it.
"$here/wine-run" "$prefix" "$helper" "Halden's Vorpane" 0x13
about=$(wait_window 'About Vorpane')
focus "$about"
xdotool key Return
wait_gone 'About Vorpane'
xdotool search --onlyvisible --name "^Halden's Vorpane\$" >/dev/null || fail "main window gone"

# Close box (Alt+F4): the window ends and so does the program.
focus "$main"
xdotool key alt+F4
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_until "Vorpane.EXE did not end" ended
app_pid=

# Escape ends the window as well.
"$here/wine-run" "$prefix" "$exe" >>"$work/vorpane.log" 2>&1 &
app_pid=$!
main=$(wait_window "Halden's Vorpane")
focus "$main"
xdotool key Escape
wait_until "Vorpane.EXE did not end on Escape" ended
app_pid=

# Cancelling the folder browser ends the program at once with exit code 0,
# before the main window is ever shown.
cancel_browser() {
    local browser code=0
    browser=$(wait_window 'Browse for Folder')
    if xdotool search --onlyvisible --name "^Halden's Vorpane\$" >/dev/null 2>&1; then
        fail "main window shown before a folder was chosen"
    fi
    focus "$browser"
    xdotool key Escape
    wait_until "Vorpane.EXE did not end on Cancel" ended
    wait "$app_pid" || code=$?
    app_pid=
    [ "$code" -eq 0 ] || fail "exit code $code after Cancel"
}
regex() { printf '%s' "$1" | sed 's/[][\\.^$*+?(){}|]/\\&/g'; }

# A folder without a cache: its index path is the caption of the stop box.
key='HKLM\Software\Wow6432Node\Unreal Technology\Installed Apps\UnrealTournament'
"$here/wine-run" "$prefix" reg add "$key" /v Folder /d "$windows_path\\Nowhere" /f >/dev/null
"$here/wine-run" "$prefix" "$exe" >>"$work/vorpane.log" 2>&1 &
app_pid=$!
box=$(wait_window "$(regex "$windows_path\\Nowhere\\Cache\\cache.ini")")
focus "$box"
xdotool key Return
cancel_browser

# No installation entry at all: the warning, then the browser.
"$here/wine-run" "$prefix" reg delete "$key" /f >/dev/null
"$here/wine-run" "$prefix" "$exe" >>"$work/vorpane.log" 2>&1 &
app_pid=$!
box=$(wait_window "Registry Key Can't Be Found")
focus "$box"
xdotool key Return
cancel_browser

# The same, and this time the game folder is picked in the browser's tree
# (starting at the desktop, then "/" of drive Z:, each folder by typing its
# name): the main window opens on it.
"$here/wine-run" "$prefix" "$exe" >>"$work/vorpane.log" 2>&1 &
app_pid=$!
box=$(wait_window "Registry Key Can't Be Found")
focus "$box"
xdotool key Return
browser=$(wait_window 'Browse for Folder')
focus "$browser"
xdotool key shift+Tab Down
IFS=/ read -r -a parts <<<"${game#/}"
for part in "${parts[@]}"; do
    xdotool key Right
    sleep 0.3
    xdotool type --delay 50 "$part"
    sleep 0.3
done
xdotool key Return
main=$(wait_window "Halden's Vorpane")
sleep 0.5
extra=$(visible_titles | grep -v "^Halden's Vorpane\$" || true)
[ -z "$extra" ] || fail "unexpected windows after choosing the folder: $extra"
focus "$main"
xdotool key Escape
wait_until "Vorpane.EXE did not end on Escape" ended
app_pid=

echo "PASS: extract, delete, compact, about, close, Escape, and the folder browser"
