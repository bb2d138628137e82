#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and
# only those that are missing. Run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev
  libjpeg-dev libpng-dev libgif-dev libwebp-dev
  libfreetype-dev libfontconfig-dev fonts-noto-cjk
  xvfb xauth xdotool
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
