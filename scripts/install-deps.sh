#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kavimo need.
# Does nothing when they are all present. Uses apt-get as root, sudo otherwise.
set -euo pipefail

packages=(
  # build and run
  build-essential cmake libgtest-dev qt6-base-dev libsdl2-mixer-dev libpng-dev fonts-ipafont-gothic
  # the set maker: WebP and TIFF photos, translations, sound conversion (espeak-ng speaks names)
  qt6-image-formats-plugins qt6-l10n-tools qt6-tools-dev libsndfile1-dev pkgconf
  # real-window tests, test data and the sample-data generator
  xvfb xauth xdotool imagemagick x11-apps libx11-dev sox espeak-ng fonts-noto-color-emoji
  desktop-base  # pictures for the set maker window's real-window test
  # sanitizers, fuzzing and static checks
  clang libclang-rt-dev clang-tidy cppcheck
)

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
