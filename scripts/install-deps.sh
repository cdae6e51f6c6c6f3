#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs (build and its compiler cache, tests,
# demo store, fonts, the Debian package: dpkg-shlibdeps, file for cpack, the desktop entry
# and metainfo validators).
# Safe to run again: only missing packages are installed. Arguments add packages.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev libgl-dev
  libcurl4-openssl-dev
  libcpp-httplib-dev libssl-dev openssl
  libgtest-dev libgmock-dev
  fonts-liberation
  curl ca-certificates
  dpkg-dev file desktop-file-utils appstream
)
# Extra packages a script needs beyond these (the fuzz build's clang, say).
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
