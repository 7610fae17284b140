#!/bin/sh
# deps.sh: installs the Debian packages that building and testing need,
# when any of them is missing: the viewer's own (tools/run.sh), GoogleTest,
# the font tool's font and converter, the real-window test's X server,
# key presser, screenshot and picture tools, sdl12-compat, the other SDL
# 1.2 the tests run against, and the checkers of the desktop entry and the
# manual page that the install test runs. Used by test.sh, sanitize.sh,
# bench.sh and CI.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/need.sh" g++ cmake make pkg-config libsdl1.2-dev libgtest-dev xfonts-base pcf2bdf \
    libx11-dev xvfb xdotool x11-apps imagemagick libsdl1.2-compat desktop-file-utils man-db
