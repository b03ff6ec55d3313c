#!/bin/sh
# Runs a program on a desktop of its own, as a user's session would have it: an X server with
# openbox managing its windows, a private session bus and, with DESKTOP_ACCESSIBILITY=1, the
# accessibility bus that screen readers use. Everything ends with the program, and with this
# script however it ends (a test's time running out sends TERM, or KILL).
#   desktop-session.sh PROGRAM [ARGUMENTS...]
# DESKTOP_SCREEN gives another screen size, "2560x1600x24" for windows at scale 2.
set -eu
# Each wait for the desktop gives up after this many tenths of a second.
limit=300
folder=$(mktemp -d /tmp/desktop-session-XXXXXX)
server='' bus='' wm='' program=''
trap 'kill $program $wm $bus $server 2>/dev/null || true; rm -rf "$folder"' EXIT
trap 'exit 143' TERM INT HUP
fail() { cat "$folder/$1.log" >&2; echo "desktop-session: $2" >&2; exit 1; }
# spawn NAME COMMAND...: runs COMMAND in the background, output to NAME.log; the kernel ends it
# should this script be killed.
spawn() {
    log=$folder/$1.log
    shift
    setpriv --pdeathsig TERM "$@" >>"$log" 2>&1 &
}
# wait_for NAME WHAT COMMAND...: until COMMAND succeeds; NAME.log says why when it never does.
wait_for() {
    name=$1 what=$2
    shift 2
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ $tries -lt $limit ] || fail "$name" "never happened: $what"
        sleep 0.1
    done
}
# named PID NAME: NAME, still running, has written on descriptor 3 what it was asked for.
named() {
    [ -s "$folder/$2" ] && return 0
    kill -0 "$1" 2>/dev/null || fail "$2" "$2 ended as it started"
    return 1
}

# The accessibility bus listens in the runtime folder under a fixed name: sessions side by side
# with one each have a runtime folder of their own. Otherwise the caller's is kept, as a test may
# plant things there.
if [ "${DESKTOP_ACCESSIBILITY:-}" = 1 ]; then
    XDG_RUNTIME_DIR=$folder/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
fi

# The X server picks a free display itself and names it (-displayfd), so sessions started at
# the same moment never share one. Without -noreset it tears itself down and starts afresh
# whenever its last client leaves (the polls below, openbox giving up): a client connecting
# meanwhile is refused, and on a loaded machine that can take long enough to lose openbox or
# the program.
spawn server Xvfb -displayfd 3 -screen 0 "${DESKTOP_SCREEN:-1280x1024x24}" -nolisten tcp \
    -noreset 3>"$folder/server"
server=$!
wait_for server "Xvfb naming its display" named $server server
spawn bus dbus-daemon --session --nofork --print-address=3 3>"$folder/bus"
bus=$!
wait_for bus "the session bus" named $bus bus
DISPLAY=:$(head -n 1 "$folder/server")
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$folder/bus")
export DISPLAY DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP
if [ "${DESKTOP_ACCESSIBILITY:-}" = 1 ]; then
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
fi

# A window mapped while the window manager is still starting may never be shown. On a loaded
# machine openbox may give up as it starts; it is started again. It reads the system's own
# configuration, whatever desktop a test makes for the program.
wm_ready() {
    if ! kill -0 "$wm" 2>/dev/null; then
        spawn wm env XDG_CONFIG_DIRS=/etc/xdg XDG_DATA_DIRS=/usr/share openbox --sm-disable
        wm=$!
    fi
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"
}
wait_for wm "openbox taking the display" wm_ready

setpriv --pdeathsig TERM "$@" &
program=$!
status=0
wait $program || status=$?
program=''
# A failure says whether the desktop was still there: a program that gave up waiting leaves it
# running (and ending it now breaks the X connection of anything the program left behind); an
# X server, window manager or bus that ended first is named with what it said.
running() {
    # The X server counts as ended once it no longer answers, though its process may linger.
    [ "$1" != server ] || xprop -root >/dev/null 2>&1 || return 1
    eval "pid=\$$1"
    # One that has ended but is not yet waited for still answers kill -0, as a zombie.
    kill -0 "$pid" 2>/dev/null && ! grep -q ') Z ' "/proc/$pid/stat" 2>/dev/null
}
if [ $status -ne 0 ]; then
    for part in "server:X server" "wm:window manager" "bus:session bus"; do
        if running "${part%%:*}"; then
            echo "desktop-session: the program ended with status $status; the ${part#*:} was" \
                "still running" >&2
        else
            cat "$folder/${part%%:*}.log" >&2
            echo "desktop-session: the ${part#*:} had ended before the program did" >&2
        fi
    done
fi
exit $status
