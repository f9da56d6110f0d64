#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that Kavimo needs, in two sets:
#   install-deps.sh play   building and playing the game (scripts/run.sh)
#   install-deps.sh test   the same, and the tests, checks, sample-data tools and
#                          packaging checks (scripts/test.sh, .ci/run); the default
# Does nothing when they are all present. Uses apt-get as root, sudo otherwise.
set -euo pipefail

play=(
  # build
  build-essential cmake pkgconf qt6-base-dev libsdl2-dev libsndfile1-dev libpng-dev libexif-dev libfontconfig-dev
  # the set tool's translations
  qt6-tools-dev qt6-l10n-tools
  # the Japanese of Qt's own file dialogs and message boxes in the set tool
  qt6-translations-l10n
  # what the game loads at run time: its Japanese font, more picture readers, the bell sound
  fonts-ipafont-gothic qt6-image-formats-plugins sound-theme-freedesktop
)
test=(
  libgtest-dev
  # real-window tests, test data and the sample-data generator
  xvfb xauth xdotool imagemagick x11-apps libx11-dev sox espeak-ng fonts-noto-color-emoji
  desktop-base  # pictures for the set maker window's real-window test
  dbus-daemon   # the benchmarks' session bus, as on a desktop
  # sanitizers, fuzzing and static checks
  clang libclang-rt-dev clang-tidy cppcheck
  # the Debian package and its checks
  dpkg-dev file desktop-file-utils appstream lintian
)

packages=()
case "${1:-test}" in
  play) packages=("${play[@]}") ;;
  test) packages=("${play[@]}" "${test[@]}") ;;
  *)
    echo "usage: $0 [play|test]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q "${missing[@]}"
