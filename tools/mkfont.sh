#!/bin/sh
# Regenerates the viewer's font sheet from Debian's misc-fixed 6x13 Latin-1
# font (xfonts-base, public domain), which ships as gzipped PCF.
# usage: mkfont.sh path/to/mkfont [OUT.tga]   (OUT defaults to ./simplefont.tga
# at the top of the source tree)
set -eu
mkfont=${1:?usage: mkfont.sh path/to/mkfont [OUT.tga]}
out=${2:-$(dirname "$0")/../simplefont.tga}
font=/usr/share/fonts/X11/misc/6x13-ISO8859-1.pcf.gz

# Each step goes through a file rather than a pipe, so a failing gzip or
# pcf2bdf stops the script instead of feeding mkfont a truncated font.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
gzip -dc "$font" >"$tmp/font.pcf"
pcf2bdf -o "$tmp/font.bdf" "$tmp/font.pcf"
"$mkfont" "$tmp/font.bdf" "$out"
