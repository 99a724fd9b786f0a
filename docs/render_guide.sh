#!/usr/bin/env sh
# Renders docs/guide.md to HTML (Debian's python3-markdown) with the pictures beside it.
# Usage: docs/render_guide.sh OUT_DIR
set -eu
cd "$(dirname "$0")/.."
out=$1
mkdir -p "$out"
{
  printf '<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8"><title>Tovin user guide</title>\n'
  printf '<style>body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em;line-height:1.45}'
  printf 'table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:.25em .5em;vertical-align:top}'
  printf 'img{max-width:100%%}td img{max-width:24em}code,pre{background:#f4f4f4}pre{padding:.5em;overflow-x:auto}</style></head><body>\n'
  /usr/bin/python3 -m markdown -x tables -x fenced_code -x toc docs/guide.md
  printf '</body></html>\n'
} > "$out/guide.html.new"
mv "$out/guide.html.new" "$out/guide.html"
cp docs/*.png "$out/"
# Every picture the guide shows must be there.
for picture in $(grep -o '([a-z0-9-]*\.png)' docs/guide.md | tr -d '()' | sort -u); do
  [ -f "$out/$picture" ] || { echo "render_guide: the guide shows $picture, which docs/ lacks" >&2; exit 1; }
done
echo "$out/guide.html"
