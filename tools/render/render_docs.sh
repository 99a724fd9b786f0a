#!/usr/bin/env sh
# Draws the user guide's response pictures with tovin-render: a setting near the top of the audio
# band against its analog model and the plain bilinear design, and a factory preset.
# Usage: tools/render/render_docs.sh [build-dir] [out-dir]   (default build/linux, docs)
set -eu
cd "$(dirname "$0")/../.."
build=${1:-build/linux}
out=${2:-docs}
render="$build/tools/render/tovin-render"
[ -x "$render" ] || cmake --build "$build" --target tovin_render
mkdir -p "$out"
"$render" --quiet --install-dir presets/factory --rate 44100 \
  --set B3Freq=8.5k --set B3Gain=+9.96dB --set B3Qual=1.7 \
  --set B4Freq=14k --set B4Gain=-6.64dB --set B4Qual=3.5 \
  --set B5Type=shelf --set B5Freq=17k --set B5Gain=+6.64dB \
  --set LPOn=on --set LPFreq=20k --plot "$out/response-analog-vs-bilinear.png" --compare
"$render" --quiet --install-dir presets/factory --rate 48000 --preset "Master Gentle Smile" \
  --plot "$out/response-preset.png"
