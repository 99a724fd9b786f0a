#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tovin need, if any is missing.
# Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build pkgconf g++ clang-14 libclang-rt-14-dev binutils util-linux
  googletest libgtest-dev libbenchmark-dev libsndfile1-dev libfftw3-dev libpng-dev liblapack-dev
  libcairo2-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64
  xvfb libxtst-dev ardour xdotool x11-apps x11-utils imagemagick
  nsis lintian dpkg-dev fakeroot python3-markdown
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is installed"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
