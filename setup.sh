#!/usr/bin/env bash
# Installs every Debian package Merivane needs to build, run and test, then builds it.
# Safe to run again: packages already present are not fetched twice.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  g++ cmake ninja-build pkg-config ccache
  libhpdf-dev qt6-base-dev libcurl4-openssl-dev libpng-dev libjpeg-dev libturbojpeg0-dev zlib1g-dev libpoppler-qt6-dev
  libgtest-dev libbenchmark-dev
  xdg-utils
  qpdf libqpdf-dev poppler-utils xvfb xauth x11-utils nginx-light openssl
  libnginx-mod-http-echo curl
  xdotool openbox at-spi2-core python3-pyatspi dbus qt6ct iproute2
  qt6-wayland weston gettext qt6-translations-l10n python3
  clang libclang-rt-14-dev
  imagemagick valgrind
  python3-icalendar man-db mandoc time sqlite3 locales
  desktop-file-utils appstream lintian dpkg-dev fakeroot file xclip bash-completion
  fish zsh
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The number tests need a locale with a decimal comma to show that parsing ignores the locale.
if ! locale -a | grep -qx 'de_DE.utf8'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
