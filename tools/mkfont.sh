#!/bin/sh
# Regenerates the viewer's font sheet and its table of letters from
# Debian's misc-fixed 6x13 ISO 10646 font (xfonts-base, public domain),
# which ships as gzipped PCF.
# usage: mkfont.sh path/to/mkfont [OUT.tga OUT-TABLE.cpp]   (they default to
# simplefont.tga and base/glyphtable.cpp of the source tree)
set -eu
mkfont=${1:?usage: mkfont.sh path/to/mkfont [OUT.tga OUT-TABLE.cpp]}
top=$(dirname "$0")/..
out=${2:-$top/simplefont.tga}
table=${3:-$top/base/glyphtable.cpp}
font=/usr/share/fonts/X11/misc/6x13.pcf.gz

# Each step goes through a file rather than a pipe, so a failing gzip or
# pcf2bdf stops the script instead of feeding mkfont a truncated font.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
gzip -dc "$font" >"$tmp/font.pcf"
pcf2bdf -o "$tmp/font.bdf" "$tmp/font.pcf"
"$mkfont" "$tmp/font.bdf" "$out" "$table"
