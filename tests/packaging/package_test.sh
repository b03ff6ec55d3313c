#!/usr/bin/env bash
# Makes the Debian package as `cpack -G DEB` does in the build folder and checks it without
# installing it: its name, version, the dependencies worked out from the binaries, its files, and
# lintian (when installed) without errors.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
build=$1 source=$2 version=$3

command -v dpkg-shlibdeps >/dev/null || { echo "dpkg-dev is not installed"; exit 77; }
work=$(mktemp -d /tmp/merivane-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
package=$(ls "$work"/merivane_"$version"_*.deb 2>/dev/null | head -n1)
[ -n "$package" ] || { ls "$work"; echo "FAIL: no merivane_${version}_ARCH.deb"; exit 1; }

[ "$(dpkg-deb -f "$package" Package)" = merivane ] || fail "package name"
[ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$package" Depends)
for library in libc6 libstdc++6 libhpdf-2.3.0 libqt6core6 libqt6gui6 libqt6widgets6 libcurl4 \
  xdg-utils qt6-wayland; do
  [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] || fail "Depends lacks $library: $depends"
done

# The listing's sixth field on is the name, which may hold blanks.
dpkg-deb -c "$package" | sed -E 's|^([^ ]+ +){5}\./|/|' >"$work/files"
for file in /usr/bin/merivane /usr/bin/merivane-cli /usr/share/merivane/History.rtf \
  "/usr/share/merivane/Release Notes.rtf" /usr/share/merivane/help/contents.html \
  /usr/share/merivane/help/fr/contents.html /usr/share/merivane/help/es/contents.html \
  /usr/share/locale/fr/LC_MESSAGES/merivane.mo /usr/share/locale/es/LC_MESSAGES/merivane.mo \
  /usr/share/applications/org.merivane.Merivane.desktop \
  /usr/share/metainfo/org.merivane.Merivane.metainfo.xml \
  /usr/share/icons/hicolor/48x48/apps/merivane.png /usr/share/icons/hicolor/scalable/apps/merivane.svg \
  /usr/share/man/man1/merivane.1.gz /usr/share/doc/merivane/copyright \
  /usr/share/doc/merivane/changelog.Debian.gz /usr/share/bash-completion/completions/merivane-cli \
  /usr/share/zsh/vendor-completions/_merivane-cli \
  /usr/share/fish/vendor_completions.d/merivane-cli.fish; do
  grep -qx -- "$file" "$work/files" || fail "not in the package: $file"
done
[ -f "$source/cli/merivane-cli.1" ] && { grep -qx /usr/share/man/man1/merivane-cli.1.gz "$work/files" ||
  fail "not in the package: merivane-cli.1.gz"; }
# Nothing of the build machine leaks in: only /usr, owned by root.
grep -v '^/usr/' "$work/files" | grep -qv '^/$' && fail "files outside /usr"
dpkg-deb -c "$package" | awk '{print $2}' | grep -qv '^root/root$' && fail "files not owned by root"

if command -v lintian >/dev/null; then
  lintian --allow-root "$package" >"$work/lintian.log" 2>&1
  grep '^E:' "$work/lintian.log" && fail "lintian errors"
  # Built as Debian builds its own packages: no hardening flag is missing.
  grep ' hardening-' "$work/lintian.log" && fail "lintian finds hardening missing"
  grep '^W:' "$work/lintian.log"
fi

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$package") is sound"
