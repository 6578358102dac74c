#!/bin/sh
# pagetool end to end: the crafted page's dump, every release page's dump,
# and a render's size and background pixels.
set -eu
tool=$1; pages=$2; content=$3; out=${TMPDIR:-/tmp}/pagetool_test.$$
mkdir -p "$out"; trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
d=$("$tool" dump "$pages/crafted.htm" --width 400)
echo "$d" | grep -q '^document h=[1-9][0-9]* width=400$'
echo "$d" | grep -q 'section hspace'
echo "$d" | grep -q 'section ulitem'
echo "$d" | grep -q 'section pre'
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
"$tool" time "$pages/crafted.htm" --runs 3 | grep -q '^paint [0-9.]* ms$'
! "$tool" dump "$pages/missing.htm" 2>/dev/null
echo "pagetool: all checks passed"
