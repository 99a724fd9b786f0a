#!/usr/bin/env sh
# Regenerates the editor pictures in docs/: the main view and every panel and dialog, drawn by
# tovin_snapshot from a fresh effect on a copy of the factory bank; then the guide's response
# pictures (tools/render/render_docs.sh).
# Usage: tools/snapshot/render_docs.sh [build-dir] [out-dir]   (default build/linux, docs)
set -eu
cd "$(dirname "$0")/../.."
build=${1:-build/linux}
out=${2:-docs}
snapshot="$build/tools/snapshot/tovin_snapshot"
[ -x "$snapshot" ] || cmake --build "$build" --target tovin_snapshot
install=$(mktemp -d)
trap 'rm -rf "$install"' EXIT
cp presets/factory/preset* presets/factory/InitSettings "$install/"
mkdir -p "$out"
# A setting with bands at work and the value rows, names and clip lamp shown.
set -- --param 51=1 --param 52=1 --param 62=1 \
  --param 21=1 --param 0=0.18 --param 23=1 --param 2=0.3 --param 4=0.62 --param 25=1 --param 5=0.45 \
  --param 7=0.38 --param 27=1 --param 11=0.62 --param 13=0.7 --param 28=1 --param 29=1 --param 16=0.6 \
  --param 32=1 --param 19=0.58 --param 33=1
"$snapshot" --install-dir "$install/" "$@" --output "$out/editor.png"
"$snapshot" --install-dir "$install/" --output "$out/editor-start.png"
for panel in help info about side-lr side-ms create-new bank-exists bank preset delete-preset discard-lr discard-ms; do
  "$snapshot" --install-dir "$install/" "$@" --show "$panel" --output "$out/editor-$panel.png"
done
sh tools/render/render_docs.sh "$build" "$out"
