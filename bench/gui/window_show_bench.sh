#!/usr/bin/env bash
# How long the main window takes to show, against an empty Qt window and one showing text, started in turns on one
# X server with a session bus and no window manager; prints each program's median.
# Usage: bench/gui/window_show_bench.sh [STARTS] [MERIVANE...]   (default: 9 build/bin/merivane)
# Each merivane is copied into a folder of its own, beside a desktop whose PDF viewer is known,
# so that no warning comes before the window.
set -euo pipefail
build=${BUILD:-build}
starts=${1:-9}
shift || true
programs=("$build/bench/bare_window" "$build/bench/bare_text_window" "${@:-$build/bin/merivane}")
for tool in "$build/bench/window_shown" "${programs[@]}"; do
  [ -x "$tool" ] || { echo "no $tool (build bare_window, bare_text_window, window_shown and merivane first)" >&2; exit 1; }
done
if [ -z "${WINDOW_BENCH_INNER:-}" ]; then
  export WINDOW_BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" dbus-run-session -- "$0" "$starts" "${@}"
fi
folder=$(mktemp -d)
# A session's runtime folder is a tmpfs (/run/user/UID), where the single-instance lock costs
# no disk write.
runtime=$(mktemp -d -p /dev/shm)
trap 'rm -rf "$folder" "$runtime"' EXIT
mkdir -p "$folder/config" "$folder/data/applications"
printf '[Default Applications]\napplication/pdf=benchviewer.desktop\n' >"$folder/config/mimeapps.list"
printf '[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %%f\nMimeType=application/pdf;\n' \
  >"$folder/data/applications/benchviewer.desktop"
export HOME=$folder XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$folder/config XDG_DATA_HOME=$folder/data QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP
copies=()
for i in "${!programs[@]}"; do
  mkdir -p "$folder/run$i"
  cp "${programs[$i]}" "$folder/run$i/"
  copies+=("$folder/run$i/$(basename "${programs[$i]}")")
done
for ((start = 0; start < starts; start++)); do
  for i in "${!copies[@]}"; do
    "$build/bench/window_shown" "${copies[$i]}" >>"$folder/times$i"
  done
done
for i in "${!copies[@]}"; do
  median=$(sort -n "$folder/times$i" | sed -n "$(((starts + 1) / 2))p")
  printf '%8s ms  %s\n' "$median" "${programs[$i]}"
done
