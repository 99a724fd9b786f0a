#!/bin/sh
# Rebuilds the committed skin: editor/skin/bitmaps/*.bmp, editor/skin/skin.rc, editor/skin/skin_bitmaps.inc
# and gui/font_atlas_generated.h, with the generator of the native build in <build-dir>. The previews go
# to <build-dir>/skin-preview*.png.
set -eu
if [ $# -ne 1 ]; then
  echo "usage: $0 <native build dir>" >&2
  exit 2
fi
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
cmake --build "$build" --target skin_generator
generator=$(find "$build" -type f -name skin_generator -perm -u+x | head -n 1)
"$generator" --root "$root" --fonts "${TOVIN_FONT_DIR:-/usr/share/fonts/truetype/dejavu}" --preview "$build"
