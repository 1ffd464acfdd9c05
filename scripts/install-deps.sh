#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine (run as root, or with sudo).
set -euo pipefail
packages=(cmake ninja-build ccache g++ libgtest-dev python3
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64
          binutils-mingw-w64-i686 mingw-w64-tools wine wine64 msitools wixl
          pkg-config libmsi-dev libglib2.0-dev clang clang-14 libclang-rt-14-dev libcurl4-openssl-dev
          xvfb)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
