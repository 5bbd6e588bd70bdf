#!/bin/sh
# The title-bar actions a real window manager offers for each window of the program, read as a
# desktop reads them (_NET_WM_ALLOWED_ACTIONS) in a virtual X server: the panel may be minimized
# and closed, the Info box and the analysis dialog only closed; nothing may be maximized or
# resized.
#   window_actions.sh WINDOW-MANAGER PROGRAM SCRATCH-DIR
# Exits 77 (skipped) when the X server, the window manager or the X tools are not installed.
wm=$1
program=$2
scratch=$3
for tool in Xvfb "$wm" xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
rm -rf "$scratch"
mkdir -p "$scratch/profile"
chmod 700 "$scratch"

pids=
trap 'kill $pids 2>/dev/null' EXIT
# Waits up to 30 s for a command to succeed: a busy machine starts a window manager slowly.
eventually() {
    for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done
    return 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >"$scratch/x.log" 2>&1 &
pids=$!
eventually test -s "$scratch/display" || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$scratch/display")
export DISPLAY
"$wm" >"$scratch/wm.log" 2>&1 &
pids="$! $pids"
eventually sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { echo "$wm did not start"; exit 1; }

MIRELKO_PROFILE_DIR=$scratch/profile XDG_RUNTIME_DIR=$scratch "$program" >"$scratch/program.log" 2>&1 &
panel=$!
pids="$panel $pids"

# The window named $1 that the window manager manages (Qt also names a hidden helper window).
managed() {
    for window in $(xdotool search --name "$1" 2>/dev/null); do
        xprop -id "$window" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | grep -q '= ' || continue
        echo "$window"
        return 0
    done
    return 1
}
# Its title-bar actions, sorted, on one line.
actions_of() {
    window=$(managed "$1") || return 1
    xprop -id "$window" _NET_WM_ALLOWED_ACTIONS |
        grep -oE 'ACTION_(MINIMIZE|MAXIMIZE_HORZ|MAXIMIZE_VERT|RESIZE|CLOSE)\b' | sed 's/ACTION_//' |
        sort | tr '\n' ' '
}
failed=0
expect() {
    eventually actions_of "$1" >/dev/null
    seen=$(actions_of "$1")
    if [ "$seen" = "$2" ]; then
        echo "$3 under $wm: $seen"
    else
        echo "$3 under $wm offers \"$seen\", expected \"$2\""
        failed=1
    fi
}
gone() { ! actions_of "$1" >/dev/null; }

# Keys go to the panel once the window manager has made it the active window again.
activate_panel() { timeout 5 xdotool windowactivate --sync "$(managed '^Mirelko$')" >/dev/null 2>&1; }

expect '^Mirelko$' 'CLOSE MINIMIZE ' 'the panel'
# The panel opens with the focus on "OK": Shift+Tab reaches "analize", the last control; with no
# box enabled, three Tabs from there pass "OK" and "Abbrechen" and reach "Info".
activate_panel
xdotool key shift+Tab space
expect '^analize$' 'CLOSE ' 'the analysis dialog'
xdotool key Escape
eventually gone '^analize$' || { echo "the analysis dialog did not close"; failed=1; }
activate_panel
xdotool key Tab Tab Tab space
expect '^Info' 'CLOSE ' 'the Info box'
xdotool key Escape
eventually gone '^Info' || { echo "the Info box did not close"; failed=1; }
activate_panel
xdotool key Escape
eventually sh -c "! kill -0 $panel 2>/dev/null" || { echo "the panel did not close"; failed=1; }
exit $failed
