#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tessaly needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  qt6-declarative-dev qt6-declarative-dev-tools qt6-multimedia-dev
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtqml-workerscript qml6-module-qtmultimedia
  qml6-module-qtquick-templates
  qml6-module-qtqml qml6-module-qtqml-models
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
  libcurl4-openssl-dev libfontconfig-dev
  nlohmann-json3-dev
  fonts-noto-cjk qt6-translations-l10n
  libgtest-dev googletest libgmock-dev
  xvfb xauth x11-utils libgl1-mesa-dri
  dbus-daemon dbus-bin dunst
  at-spi2-core dbus python3-pyatspi
  clang clang-format-14 libclang-rt-14-dev
  ffmpeg nginx libpcre2-dev curl hyperfine
  python3
  appstream dpkg-dev file debootstrap
  lintian weston qt6-wayland
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
