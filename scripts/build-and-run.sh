#!/usr/bin/env bash
# From a fresh Debian machine: installs what is missing, builds Tovin for Linux (Tovin.so) and Windows
# (Tovin.dll), then runs the demo: Tovin.so is loaded through its entry as a host would and processes
# a built-in demo signal, written to build/tovin-demo.wav; then tovin-render renders the same signal
# from a file with the demo setting typed in its own units and draws the setting's response.
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
echo "== Render: the demo signal from a file through tovin-render, and the setting's response"
build/linux/tools/demo/tovin_demo --flat --output build/tovin-demo-signal.wav >/dev/null
build/linux/tools/render/tovin-render \
  --set HPOn=on --set HPType=12dB --set HPFreq=30 \
  --set B2Freq=400 --set B2Qual=1 --set B2Gain=-3.32dB \
  --set B5Type=shelf --set B5Freq=8.5k --set B5Qual=0.7 --set B5Gain=+3.32dB \
  --plot build/tovin-demo-response.png --compare \
  build/tovin-demo-signal.wav build/tovin-demo-render.wav
