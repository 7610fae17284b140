#!/bin/sh
# deps.sh: installs the Debian packages that building and testing need,
# when any of them is missing. Used by run.sh, test.sh and CI.
set -e
PACKAGES="g++ cmake make pkg-config libsdl1.2-dev libgtest-dev xfonts-base pcf2bdf
    libx11-dev xvfb xdotool x11-apps imagemagick"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
$SUDO apt-get update
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
