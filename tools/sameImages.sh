#!/bin/sh
# Draws every picture with the image tool into a scratch folder and checks that the
# committed folder holds exactly the same files, byte for byte.
# Usage: sameImages.sh <urnalia_make_images> <committed folder>
set -e
tool=$1 committed=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$tool" "$scratch"
for drawn in "$scratch"/*.bmp; do
    cmp "$drawn" "$committed/$(basename "$drawn")"
done
drawnCount=$(ls "$scratch"/*.bmp | wc -l)
committedCount=$(ls "$committed"/*.bmp | wc -l)
if [ "$drawnCount" -ne "$committedCount" ]; then
    echo "the tool draws $drawnCount pictures but $committed holds $committedCount" >&2
    exit 1
fi
