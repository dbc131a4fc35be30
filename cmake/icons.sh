#!/usr/bin/env bash
# The program's icon (an XPM drawn by scripts/draw_pictures.py) as the PNGs a desktop's icon
# theme wants: <out>/<n>x<n>/vantrelle.png for each size, transparency kept.
#   icons.sh <app.xpm> <out folder> <sizes...>
set -euo pipefail
xpm=$1 out=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# xpmtoppm knows the declaration only in its old form, "static char *name[]".
sed 's/^static const char \*const /static char */' "$xpm" >"$tmp/app.xpm"
xpmtoppm --alphaout="$tmp/alpha.pgm" "$tmp/app.xpm" >"$tmp/colour.ppm"
for n in "$@"; do
    mkdir -p "$out/${n}x${n}"
    pamscale -quiet -width "$n" -height "$n" "$tmp/colour.ppm" >"$tmp/c$n.ppm"
    pamscale -quiet -width "$n" -height "$n" "$tmp/alpha.pgm" >"$tmp/a$n.pgm"
    pnmtopng -alpha="$tmp/a$n.pgm" "$tmp/c$n.ppm" >"$out/${n}x${n}/vantrelle.png"
done
