#!/bin/sh
# Runs a program on a Wayland desktop of its own, as a Wayland session without X has it: a
# headless Weston compositor, no DISPLAY, a private session bus. Everything ends with the program.
#   wayland-session.sh PROGRAM [ARGUMENTS...]
set -eu
if [ -z "${WAYLAND_SESSION_INNER:-}" ]; then
    export WAYLAND_SESSION_INNER=1
    exec dbus-run-session -- "$0" "$@"
fi
unset DISPLAY QT_QPA_PLATFORM
# The headless compositor has no seat; Qt's own Wayland text input would look for its keyboard
# when a test types, so typing goes through the plain compose input method.
export QT_IM_MODULE=compose
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
socket=wayland-merivane
weston --backend=headless-backend.so --socket=$socket --idle-time=0 >"$XDG_RUNTIME_DIR/weston.log" 2>&1 &
compositor=$!
trap 'kill $compositor 2>/dev/null || true; wait $compositor 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT
tries=0
until [ -S "$XDG_RUNTIME_DIR/$socket" ]; do
    tries=$((tries + 1))
    if [ $tries -ge 300 ] || ! kill -0 $compositor 2>/dev/null; then
        cat "$XDG_RUNTIME_DIR/weston.log" >&2
        echo "weston made no socket $socket within 30 s" >&2
        exit 1
    fi
    sleep 0.1
done
# A path, so that tests that point XDG_RUNTIME_DIR elsewhere still find the compositor.
export WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/$socket"
"$@"
