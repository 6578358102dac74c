#!/bin/sh
# pagetool end to end: the crafted page's dump, every release page's dump,
# and a render's size and background pixel.
set -eu
tool=$1; pages=$2; content=$3; out=${TMPDIR:-/tmp}/pagetool_test.$$
mkdir -p "$out"; trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
d=$("$tool" dump "$pages/crafted.htm" --width 400)
echo "$d" | grep -q '^document h=[1-9][0-9]* width=400$'
echo "$d" | grep -q 'section hspace'
echo "$d" | grep -q 'section ulitem'
echo "$d" | grep -q 'section pre'
# The right-aligned picture where it is drawn: 400 less the 10-px margin and its 40.
echo "$d" | grep -q '^  image x=350 y=[1-9][0-9]* w=40 h=30$'
echo "$d" | grep -q 'cell row=0 col=0 x=[0-9]* y=[0-9]* w=10[0-9] '
echo "$d" | grep -q 'cell row=1 col=0 .* w=[2-9][0-9][0-9] '
n=0
for p in "$content"/*.htm*; do
  [ -f "$p" ] || continue
  "$tool" dump "$p" | grep -q '^document h=[1-9]' || { echo "no document: $p"; exit 1; }
  n=$((n + 1))
done
[ -z "$(ls "$content" 2>/dev/null)" ] || [ "$n" -gt 0 ]
"$tool" render "$pages/crafted.htm" "$out/p.png" --width 321
# PNG header: width at bytes 16-19.
w=$(od -An -tu1 -j16 -N4 "$out/p.png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
[ "$w" -eq 321 ] || { echo "width $w"; exit 1; }
# The page's BODY colour #102030 in the top-left pixel (stored, unfiltered rows:
# the first pixel follows the zlib and block headers and the row's filter byte).
px=$(od -An -tu1 -j49 -N3 "$out/p.png" | tr -s ' ')
[ "$px" = " 16 32 48" ] || { echo "top-left pixel $px"; exit 1; }
# The body's background picture is painted, tiled, over the BODY colour: a
# 2 x 2 BMP of colour (200, 100, 50) written here beside a copy of the page.
cp "$pages/background.htm" "$out/"
{
  printf 'BM\106\000\000\000\000\000\000\000\066\000\000\000'
  printf '\050\000\000\000\002\000\000\000\002\000\000\000\001\000\030\000'
  printf '\000\000\000\000\020\000\000\000\023\013\000\000\023\013\000\000\000\000\000\000\000\000\000\000'
  for row in 1 2; do printf '\062\144\310\062\144\310\000\000'; done
} > "$out/tile.bmp"
"$tool" render "$out/background.htm" "$out/b.png" --width 321
px=$(od -An -tu1 -j49 -N3 "$out/b.png" | tr -s ' ')
[ "$px" = " 200 100 50" ] || { echo "background picture pixel $px"; exit 1; }
"$tool" time "$pages/crafted.htm" --runs 3 | grep -q '^paint [0-9.]* ms$'
! "$tool" dump "$pages/missing.htm" 2>/dev/null
echo "pagetool: all checks passed"
