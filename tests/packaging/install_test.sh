#!/usr/bin/env bash
# Installs Merivane into a temporary prefix as `cmake --install` does for a user, then uses the
# installed copy only: merivane-cli, the validators of the desktop entry and the metainfo, and
# the installed merivane with a home of its own on a desktop of its own (Generate writes into the
# per-user PDF folder, About shows the installed "History.rtf", F1 shows the installed help).
#   install_test.sh BUILD_DIR SOURCE_DIR VERSION
# On a failure it lists the windows and processes; MERIVANE_DEBUG=1 adds the program's stacks
# (through gdb).
set -uo pipefail
build=$1 source=$2 version=$3
[ -n "${INSTALL_TEST_ON_DESKTOP:-}" ] ||
  INSTALL_TEST_ON_DESKTOP=1 exec "$source/tests/support/desktop-session.sh" bash "$0" "$@"
# Each wait gives up after this many seconds.
limit=20

# An installed copy reads only folders no other user can write, so not under /tmp.
work=$(mktemp -d "$(realpath "$build")/merivane-install-XXXXXX")
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $* (after ${SECONDS}s)"; failures=$((failures + 1)); }
# wait_for WHAT COMMAND...: runs COMMAND until it succeeds or the limit is reached.
wait_for() {
  local what=$1; shift
  local deadline=$((SECONDS + limit))
  while ((SECONDS < deadline)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "never happened: $what"
  return 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
  cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

share=$prefix/share
expected=(bin/merivane bin/merivane-cli share/merivane/History.rtf
  "share/merivane/Release Notes.rtf" share/merivane/help/contents.html
  share/merivane/help/main-window.html share/merivane/help/fr/main-window.html
  share/merivane/help/es/main-window.html share/locale/fr/LC_MESSAGES/merivane.mo
  share/locale/es/LC_MESSAGES/merivane.mo share/applications/org.merivane.Merivane.desktop
  share/metainfo/org.merivane.Merivane.metainfo.xml share/icons/hicolor/scalable/apps/merivane.svg
  share/man/man1/merivane.1.gz share/doc/merivane/copyright
  share/bash-completion/completions/merivane-cli share/zsh/vendor-completions/_merivane-cli
  share/fish/vendor_completions.d/merivane-cli.fish)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/merivane.png")
done
[ -f "$source/cli/merivane-cli.1" ] && expected+=(share/man/man1/merivane-cli.1.gz)
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
expected+=("$libdir/merivane/libmerivane_http.so" "$libdir/merivane/libmerivane_proc.so")
for file in "${expected[@]}"; do [ -s "$prefix/$file" ] || fail "not installed: $file"; done
# libcurl comes only with the HTTP library, which the window loads when it first connects.
readelf -d "$prefix"/bin/merivane* | grep -q "NEEDED.*libcurl" && fail "a program needs libcurl"
for size in 16 48 256; do
  file -b "$share/icons/hicolor/${size}x${size}/apps/merivane.png" |
    grep -q "PNG image data, $size x $size" || fail "icon ${size}x${size} has another size"
done

# The installed copy finds its own catalogues, wherever it was installed.
LC_ALL=fr_CA.UTF-8 MERIVANE_LOCALEDIR= "$prefix/bin/merivane" --help | grep -q "^Utilisation" ||
  fail "the installed merivane speaks no French"

# A copy of the build's program folder keeps its languages.
cp -a "$build/bin" "$work/copy"
LC_ALL=fr_CA.UTF-8 MERIVANE_LOCALEDIR= "$work/copy/merivane" --help | grep -q "^Utilisation" ||
  fail "a copy of the program folder speaks no French"

# The command line, from the installed copy.
cli=$prefix/bin/merivane-cli
"$cli" --version | grep -Eqx "merivane-cli $version \(built [0-9]{4}-[0-9]{2}-[0-9]{2}\)" ||
  fail "merivane-cli --version printed: $("$cli" --version 2>&1)"
(cd "$work" && "$cli" pdf --style year --year 2026 --output year.pdf >/dev/null) &&
  [ "$(head -c 5 "$work/year.pdf")" = "%PDF-" ] || fail "merivane-cli made no PDF"

# bash-completion finds the installed script by itself, as it would in an interactive shell.
completed=$(XDG_DATA_DIRS=$share bash -c '. /usr/share/bash-completion/bash_completion
    __load_completion merivane-cli || exit 1
    COMP_LINE="merivane-cli pdf --style " COMP_POINT=25 COMP_WORDS=(merivane-cli pdf --style "")
    COMP_CWORD=3
    $(complete -p merivane-cli | sed -E "s/.*-F ([^ ]+) .*/\1/") merivane-cli "" --style
    echo "${COMPREPLY[@]}"' 2>&1)
[ "$completed" = "month quarter year 3years strip planner" ] ||
  fail "bash completes merivane-cli pdf --style with: $completed"
# fish loads it by the command's name once the command is on the path; zsh reads it whole.
completed=$(HOME=$work PATH=$prefix/bin:$PATH XDG_DATA_DIRS=$share fish -c \
  'complete -C "merivane-cli pdf --style "' 2>&1 | cut -f1 | sort | tr '\n' ' ')
[ "$completed" = "3years month planner quarter strip year " ] ||
  fail "fish completes merivane-cli pdf --style with: $completed"
zsh -n "$share/zsh/vendor-completions/_merivane-cli" || fail "zsh cannot read _merivane-cli"

# The validators, where they are installed.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$share/applications/org.merivane.Merivane.desktop" ||
    fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --strict "$share/metainfo/org.merivane.Merivane.metainfo.xml" \
    >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log"; fail "appstreamcli validate"; }
fi

# Marks in the installed files show that the program read them, not its compiled-in help.
mark="Installed copy 7319"
sed -i "s|<title>[^<]*</title>|<title>$mark</title>|" "$share/merivane/help/main-window.html"
sed -i "\$s|}\$|\\\\par $mark\\\\par}|" "$share/merivane/History.rtf"

# A user of its own: empty home, a desktop whose only PDF viewer notes what it was asked to open.
home=$work/home
mkdir -p "$home/.config" "$home/.local/share/applications" "$home/.local/share/merivane"
mkdir -m 700 "$work/runtime"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s/opened.txt"\n' "$work" >"$work/viewer.sh"
chmod +x "$work/viewer.sh"
printf '[Desktop Entry]\nType=Application\nName=Viewer\nExec=%s %%f\nMimeType=application/pdf;\n' \
  "$work/viewer.sh" >"$home/.local/share/applications/fakeviewer.desktop"
printf '[Default Applications]\napplication/pdf=fakeviewer.desktop\n' >"$home/.config/mimeapps.list"
printf '[Last]\nYear=2026\nStyle=3\n[Update]\nSite=https://no-such-host.invalid/\nLastCheck=99999999\n' \
  >"$home/.local/share/merivane/Zarn.ini"

user_env=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/runtime"
  DISPLAY="$DISPLAY" XDG_DATA_DIRS="$share:/usr/share")
run() { "${user_env[@]}" "$@"; }
cd "$work" || exit 1
"${user_env[@]}" "$prefix/bin/merivane" >"$work/merivane.log" 2>&1 &
merivane=$!
pids+=($merivane)

window_named() { run xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
has_window() { [ -n "$(window_named "$1")" ]; }
activate() { run xdotool windowactivate --sync "$1" 2>/dev/null; }
windows() {
  kill -0 "$merivane" 2>/dev/null || { wait "$merivane"; echo "merivane ended with status $?"; }
  ps -o pid,stat,wchan:20,etime,args --ppid "$merivane" -p "$merivane" 2>/dev/null
  ps -o pid,stat,wchan:20,args -g "$(ps -o sid= -p $$)" 2>/dev/null | grep -v "ps -o" | tail -n 12
  [ -n "${MERIVANE_DEBUG:-}" ] && gdb -p "$merivane" -batch -ex "thread apply all bt 12" 2>/dev/null | grep "^#\|^Thread"
  for w in $(run xdotool search --onlyvisible --name . 2>/dev/null); do
    echo "window: $(run xdotool getwindowname "$w")"
  done
}
wait_for "the main window" has_window Merivane || { cat "$work/merivane.log"; windows; exit 1; }
main=$(window_named Merivane)
echo "main window after ${SECONDS}s"
# X11 desktops match the window to the desktop entry by its class.
wm_class=$(grep '^StartupWMClass=' "$share/applications/org.merivane.Merivane.desktop" | cut -d= -f2)
run xprop -id "$main" WM_CLASS | grep -q "\"$wm_class\"\$" || fail "window class is not $wm_class"

activate "$main"
run xdotool key --clearmodifiers alt+g
pdf=$home/.local/share/merivane/PDF/001Calendar.PDF
wait_for "a calendar in the per-user PDF folder" test -s "$pdf"
wait_for "the viewer opening it" grep -qx "$pdf" "$work/opened.txt"
grep -qx "Number=1" "$home/.local/share/merivane/Zarn.ini" || fail "the counter in the per-user Zarn.ini"
[ -e "$prefix/bin/Zarn.ini" ] || [ -e "$prefix/bin/PDF" ] && fail "wrote beside the installed program"

# An item of the Help menu by keyboard: the Help menu takes the keys typed after Alt+H as it
# opens; tried again until the window TITLE is up (a key can arrive before the window has the
# focus): help_item KEYS TITLE.
help_item() {
  activate "$main"
  run xdotool key --clearmodifiers alt+h $1
  for ((t = 0; t < 20; t++)); do has_window "$2" && return 0; sleep 0.1; done
  run xdotool key Escape
  return 1
}
# Check for Program Update loads the installed HTTP library, which reports the missing host.
grep -q libcurl "/proc/$merivane/maps" && fail "libcurl is loaded at start"
wait_for "the update check's error" help_item u Error
grep -qF "$prefix/$libdir/merivane/libmerivane_http.so" "/proc/$merivane/maps" ||
  fail "the installed HTTP library is not loaded"
activate "$(window_named Error)" && run xdotool key Return
wait_for "the error closing" eval '! has_window Error'
wait_for "the About dialog" help_item "Up Return" "About Zarn Generator"
about=$(window_named "About Zarn Generator")
if [ -n "$about" ]; then
  clipboard() { run timeout 2 xclip -o -selection clipboard; }
  # Alt+V turns the page a moment later, as a click on its button does; the second page's history
  # box fills the middle of the dialog, and its text is copied once it is there.
  activate "$about"
  run xdotool key --clearmodifiers alt+v
  eval "$(run xdotool getwindowgeometry --shell "$about")"
  history_copied() {
    run xdotool mousemove --window "$about" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
    run xdotool key --clearmodifiers ctrl+a ctrl+c
    clipboard | grep -q "$mark"
  }
  wait_for "the installed history on the About dialog's second page" history_copied
  clipboard | grep -q "Zarn Generator Program History" || fail "the history's heading"
  run xdotool key --clearmodifiers alt+c
  wait_for "the About dialog closing" eval '! has_window "About Zarn Generator"'
fi

# F1 last: the help window takes the focus.
activate "$main"
run xdotool key --clearmodifiers F1
wait_for "help from the installed files" has_window "$mark"

[ "$failures" -eq 0 ] || { cat "$work/merivane.log"; windows; exit 1; }
echo "installed copy works"
