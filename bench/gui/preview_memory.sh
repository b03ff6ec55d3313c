#!/usr/bin/env bash
# Resident memory of the main window (kB, VmRSS) before its first preview is drawn, with it, and
# with the preview window open on a 12-page month calendar with a logo, on one X server with a
# session bus and no window manager. "Before" is the window without the page library beside it,
# so it never draws a page; another merivane given (an older build) is measured the same way for
# comparison.
# Usage: bench/gui/preview_memory.sh [MERIVANE [OTHER_MERIVANE]]   (default: build/bin/merivane)
set -euo pipefail
build=${BUILD:-build}
program=${1:-$build/bin/merivane}
other=${2:-}
module=$(dirname "$program")/libmerivane_pdfview.so
for tool in "$program" xdotool; do
  command -v "$tool" >/dev/null || [ -x "$tool" ] || { echo "no $tool" >&2; exit 1; }
done
if [ -z "${PREVIEW_BENCH_INNER:-}" ]; then
  export PREVIEW_BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" dbus-run-session -- "$0" "$@"
fi
folder=$(mktemp -d)
runtime=$(mktemp -d -p /dev/shm)
trap 'rm -rf "$folder" "$runtime"' EXIT
mkdir -p "$folder/config" "$folder/data/applications"
printf '[Default Applications]\napplication/pdf=benchviewer.desktop\n' >"$folder/config/mimeapps.list"
printf '[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %%f\nMimeType=application/pdf;\n' \
  >"$folder/data/applications/benchviewer.desktop"
export HOME=$folder XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$folder/config XDG_DATA_HOME=$folder/data QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP
logo=$(cd "$(dirname "$0")/../.." && pwd)/docs/sample-logo.png

rss() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

# run NAME PROGRAM WITH_LIBRARY: starts the program in a folder of its own, month pages with a
# logo, and prints its resident memory at each moment.
run() {
  local name=$1 binary=$2 library=$3 dir="$folder/$1"
  mkdir -p "$dir"
  cp "$binary" "$dir/"
  [ "$library" = yes ] && cp "$module" "$dir/"
  printf '[Last]\nYear=2026\nStyle=1\n[Pages]\nLogo=%s\nCredit=KXYZ Sales\n' "$logo" >"$dir/Zarn.ini"
  "$dir/$(basename "$binary")" &
  local pid=$!
  local window
  window=$(xdotool search --sync --onlyvisible --name '^Merivane$' | head -1)
  local shown
  shown=$(rss "$pid")
  sleep 2
  local settled
  settled=$(rss "$pid")
  local line="$name: at show $shown kB, 2 s later $settled kB"
  if [ "$library" = yes ]; then
    xdotool windowfocus --sync "$window" key ctrl+r
    local viewer
    viewer=$(xdotool search --sync --onlyvisible --name '^Calendar Preview$' | head -1)
    xdotool windowfocus --sync "$viewer"
    for _ in 1 2 3 4 5 6 7 8 9 10 11; do xdotool key Next; done
    sleep 1
    line="$line, preview window through 12 pages $(rss "$pid") kB (peak $(awk '/^VmHWM/ {print $2}' "/proc/$pid/status") kB)"
  fi
  echo "$line"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

[ -n "$other" ] && run other "$other" no
run without-page-library "$program" no
run with-page-library "$program" yes
