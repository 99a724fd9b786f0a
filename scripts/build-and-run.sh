#!/usr/bin/env bash
# From a fresh Debian machine: installs what is missing, builds Tovin for Linux (Tovin.so) and Windows
# (Tovin.dll), then runs the demo: Tovin.so is loaded through its entry as a host would and processes
# a built-in demo signal, written to build/tovin-demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in linux windows; do
  echo "== Building preset $preset"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
done

echo "== Built"
echo "   build/linux/Tovin.so"
echo "   build/windows/Tovin.dll"
echo "== Demo"
build/linux/tools/demo/tovin_demo --output build/tovin-demo.wav "$@"
