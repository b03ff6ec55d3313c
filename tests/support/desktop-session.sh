#!/bin/sh
# Runs a program on a desktop of its own, as a user's session would have it: an X server with
# openbox managing its windows, a private session bus and, on demand, the accessibility bus
# that screen readers use. Everything ends with the program.
#   desktop-session.sh PROGRAM [ARGUMENTS...]
# DESKTOP_SCREEN gives another screen size, "2560x1600x24" for windows at scale 2.
set -eu
if [ -z "${DESKTOP_SESSION_INNER:-}" ]; then
    export DESKTOP_SESSION_INNER=1
    exec xvfb-run -a -s "-screen 0 ${DESKTOP_SCREEN:-1280x1024x24} -nolisten tcp" dbus-run-session -- "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
unset XDG_CURRENT_DESKTOP
wm_log=$(mktemp)
openbox --sm-disable >"$wm_log" 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true; rm -f "$wm_log"' EXIT
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    tries=$((tries + 1))
    [ $tries -lt 200 ] || { cat "$wm_log" >&2; echo "openbox did not take the display" >&2; exit 1; }
    # On a loaded machine openbox may give up as it starts; it is started again.
    if ! kill -0 $wm 2>/dev/null; then
        openbox --sm-disable >>"$wm_log" 2>&1 &
        wm=$!
    fi
    sleep 0.1
done
"$@"
