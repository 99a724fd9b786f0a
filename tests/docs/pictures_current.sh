#!/bin/sh
# The pictures in docs/ are what the current build draws: every editor panel and the response
# pictures are drawn again into a scratch folder and compared pixel for pixel, so the guide never
# shows an old editor. After a change: tools/snapshot/render_docs.sh redraws them.
# Usage: tests/docs/pictures_current.sh BUILD_DIR
set -eu
cd "$(dirname "$0")/../.."
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
sh tools/snapshot/render_docs.sh "$build" "$scratch" > /dev/null
stale=""
for picture in "$scratch"/*.png; do
  name=$(basename "$picture")
  if [ ! -f "docs/$name" ]; then stale="$stale $name(missing)"; continue; fi
  differing=$(compare -metric AE "docs/$name" "$picture" null: 2>&1 || true)
  [ "$differing" = 0 ] || stale="$stale $name($differing pixels)"
done
if [ -n "$stale" ]; then
  echo "docs/ pictures differ from what this build draws:$stale; run tools/snapshot/render_docs.sh" >&2
  exit 1
fi
echo "docs/: $(ls "$scratch" | wc -l) pictures current"
