#!/bin/sh
# What the panel announces beside its window, with real components in a virtual X server: the
# attention state a window manager keeps until the panel is activated, read as a taskbar reads
# it (_NET_WM_STATE), and the notifications a stand-in notification service records. The panel
# polls every 30 seconds, so this takes a little over a minute.
#   announcements.sh PROGRAM SCRATCH-DIR
# Exits 77 (skipped) when the X server, the window manager, the D-Bus or X tools are missing.
program=$1
scratch=$2
if [ "$3" != --in-session ]; then
    for tool in Xvfb metacity xdotool xprop dbus-run-session gdbus; do
        command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
    done
    /usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "python3-dbusmock is not installed"; exit 77; }
    rm -rf "$scratch"
    mkdir -p "$scratch/profile"
    chmod 700 "$scratch"
    exec dbus-run-session -- sh "$0" "$program" "$scratch" --in-session
fi

pids=
trap 'kill $pids 2>/dev/null' EXIT
eventually() {
    for _ in $(seq 450); do "$@" && return 0; sleep 0.1; done
    return 1
}
failed=0
check() {
    if eventually "$@"; then echo "seen: $what"; else echo "not seen within 45 s: $what"; failed=1; fi
}

/usr/bin/python3 -m dbusmock --session --template notification_daemon -l "$scratch/notify.log" \
    >"$scratch/dbusmock.log" 2>&1 &
pids=$!
notifications() {
    gdbus call --session --dest org.freedesktop.Notifications \
        --object-path /org/freedesktop/Notifications --method "$@"
}
eventually notifications org.freedesktop.Notifications.GetServerInformation >/dev/null 2>&1 ||
    { echo "the notification service did not start"; exit 1; }
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >"$scratch/x.log" 2>&1 &
pids="$! $pids"
eventually test -s "$scratch/display" || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$scratch/display")
export DISPLAY
metacity >"$scratch/wm.log" 2>&1 &
pids="$! $pids"
eventually sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { echo "metacity did not start"; exit 1; }

# Box 2, "Tor Süd" in the files' Windows-1252, is green when the panel opens.
printf '[zivazoz]\r\nBox2=1\r\nLocBox2=Tor S\374d\r\n' >"$scratch/profile/rurizuz.ini"
printf '[Box2]\r\nWatchDogError=0\r\n' >"$scratch/profile/zivazoz.ini"
MIRELKO_PROFILE_DIR=$scratch/profile XDG_RUNTIME_DIR=$scratch "$program" >"$scratch/program.log" 2>&1 &
pids="$! $pids"
panel_window() {
    for window in $(xdotool search --name '^Mirelko$' 2>/dev/null); do
        xprop -id "$window" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | grep -q '= ' || continue
        echo "$window"
        return 0
    done
    return 1
}
eventually panel_window >/dev/null || { echo "the panel did not open"; exit 1; }
panel=$(panel_window)
# Behind the operator's back: minimized, the window is not the active one.
xdotool windowminimize "$panel"
attention() { xprop -id "$panel" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION; }
attention && { echo "attention asked before any poll"; failed=1; }
# The Notify calls recorded: replaces_id, body and urgency.
notified() { grep -c " Notify .*$1" "$scratch/notify.log" 2>/dev/null | grep -qx "${2:-1}"; }

printf '[Box2]\r\nWatchDogError=1\r\n' >"$scratch/profile/zivazoz.ini"
what="attention asked at the poll that finds box 2 in alarm" check attention
what="a critical notification naming box 2" check \
    notified '"mirelko" 0 "" "Watchdog alarm" "IP Controller 2 (Tor Süd): watchdog error" .*urgency.*2'
printf '[Box2]\r\nWatchDogError=0\r\n' >"$scratch/profile/zivazoz.ini"
what="box 2 back to normal, replacing the first notification" check \
    notified '"mirelko" 1 "" "Back to normal" "IP Controller 2 (Tor Süd): back to normal" .*urgency.*1'
what="attention still asked while nobody has looked" check attention
notifications org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.Notifications ActionInvoked us \
    '[<uint32 1>, <"default">]' >/dev/null
active() { xprop -root _NET_ACTIVE_WINDOW | grep -q "$(printf '0x%x' "$panel")"; }
what="the notification's default action brings the panel to the front" check active
what="no attention asked once the panel is active" check eval '! attention'
[ "$(grep -c ' Notify ' "$scratch/notify.log")" = 2 ] || { echo "more notifications than polls with news"; failed=1; }
exit $failed
