#!/bin/sh
# What the panel announces beside its window, with a real window manager in a virtual X server
# and a stand-in notification service that records each Notify. A poll comes every 30 seconds;
# the status file is missing until the first.
#   announcements.sh PROGRAM SCRATCH-DIR        Exits 77 (skipped) when a tool is missing.
program=$1
scratch=$2
if [ "$3" != --in-session ]; then
    for tool in Xvfb metacity xdotool xprop dbus-run-session gdbus; do
        command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
    done
    /usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "no python3-dbusmock"; exit 77; }
    rm -rf "$scratch" && mkdir -p "$scratch/profile" && chmod 700 "$scratch" &&
        exec dbus-run-session -- sh "$0" "$program" "$scratch" --in-session
fi
trap 'kill $pids 2>/dev/null' EXIT && failed=0
eventually() { for _ in $(seq 450); do "$@" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
check() { if eventually "$@"; then echo "seen: $what"; else echo "not seen: $what"; failed=1; fi; }
notices() { gdbus call --session --dest org.freedesktop.Notifications \
    --object-path /org/freedesktop/Notifications --method "$@"; }

/usr/bin/python3 -m dbusmock --session --template notification_daemon -l "$scratch/notify.log" \
    >/dev/null 2>&1 & pids=$!
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 & pids="$! $pids"
eventually test -s "$scratch/display" || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$scratch/display") && export DISPLAY
metacity >/dev/null 2>&1 & pids="$! $pids"
eventually sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' &&
    eventually notices org.freedesktop.Notifications.GetServerInformation >/dev/null ||
    { echo "metacity or the notification service did not start"; exit 1; }

# Box 2, "Tor Süd" in the files' Windows-1252, is green when the panel opens, with no status file.
printf '[zivazoz]\r\nBox2=1\r\nLocBox2=Tor S\374d\r\n' >"$scratch/profile/rurizuz.ini"
MIRELKO_PROFILE_DIR=$scratch/profile XDG_RUNTIME_DIR=$scratch "$program" >/dev/null 2>&1 & pids="$! $pids"
eventually sh -c "for w in \$(xdotool search --name '^Mirelko\$'); do xprop -id \$w \
    _NET_WM_ALLOWED_ACTIONS | grep -q '= ' && echo \$w >'$scratch/panel'; done; test -s '$scratch/panel'" ||
    { echo "the panel did not open"; exit 1; }
# Behind the operator's back: minimized, the panel is not the active window.
panel=$(head -1 "$scratch/panel") && xdotool windowminimize "$panel"
attention() { xprop -id "$panel" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION; }
attention && { echo "attention asked before any poll"; failed=1; }
notified() { grep -q " Notify .*$1" "$scratch/notify.log"; }  # app, replaces_id, icon, summary, body

what="the status file missing from the start, at the first poll" check notified \
    '"mirelko" 0 "dialog-warning" "Status data not current" "no status file: .*urgency.: 2'
attention && { echo "attention asked for the status file"; failed=1; }
printf '[Box2]\r\nWatchDogError=0\r\n' >"$scratch/profile/zivazoz.ini"
what="the status file there, replacing the first" check notified \
    '"mirelko" 1 "dialog-information" "Status data current again" "status file written again: '
printf '[Box2]\r\nWatchDogError=1\r\n' >"$scratch/profile/zivazoz.ini"
what="attention at the poll that finds box 2 in alarm" check attention
what="a critical notification naming box 2" check notified \
    '"mirelko" 1 "dialog-error" "Watchdog alarm" "IP Controller 2 (Tor Süd): watchdog error" .*urgency.: 2'
printf '[Box2]\r\nWatchDogError=0\r\n' >"$scratch/profile/zivazoz.ini"
what="back to normal" check notified \
    '"mirelko" 1 "dialog-information" "Back to normal" "IP Controller 2 (Tor Süd): back to normal" .*urgency.: 1'
what="attention still asked while nobody has looked" check attention
notices org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.Notifications ActionInvoked us \
    '[<uint32 1>, <"default">]' >/dev/null
what="the default action brings the panel to the front" check \
    sh -c "xprop -root _NET_ACTIVE_WINDOW | grep -q $(printf '0x%x' "$panel")"
what="no attention once the panel is active" check eval '! attention'
[ "$(grep -c ' Notify ' "$scratch/notify.log")" = 4 ] || { echo "more than one per poll"; failed=1; }
exit $failed
