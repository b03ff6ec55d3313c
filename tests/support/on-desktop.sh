#!/bin/sh
# Runs a command on an X server and a window manager of its own (Xvfb and openbox), which end
# with it and never hold its output; the command's status is the script's.
#   on-desktop.sh COMMAND [ARGUMENT...]
set -u
folder=$(mktemp -d) || exit 1
server=
manager=
trap 'kill $manager $server 2>/dev/null; wait; rm -rf "$folder"' EXIT
# The server picks a free display itself and writes its number once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$folder/display" >/dev/null 2>&1 &
server=$!
for _ in $(seq 300); do [ -s "$folder/display" ] && break; sleep 0.1; done
[ -s "$folder/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n1 "$folder/display")
export DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
manager=$!
for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
QT_QPA_PLATFORM=xcb "$@"
