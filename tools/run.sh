#!/bin/sh
# run.sh [PATH]: builds the desktop viewer and starts it from the folder it
# is run in, with PATH handed on (a folder to list or a text to open), as an
# installed tomo would start; it finds its font sheet beside itself in
# build/. Installs only what building it needs; no tests, and warnings do
# not stop the build.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/need.sh" g++ cmake make pkg-config libsdl1.2-dev
cmake -S "$top" -B "$top/build" -DTOMO_TESTS=OFF >/dev/null
cmake --build "$top/build" --target tomo -j"$(nproc)"
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$SDL_VIDEODRIVER" ]; then
    echo "run.sh: no display (DISPLAY is not set): start it from an X session" >&2
    exit 1
fi
exec "$top/build/tomo" "$@"
