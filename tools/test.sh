#!/bin/sh
# test.sh: builds everything with warnings as errors and runs every test.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/deps.sh"
cmake -S "$top" -B "$top/build" -DTOMO_TESTS=ON -DTOMO_WERROR=ON >/dev/null
cmake --build "$top/build" -j"$(nproc)"
cd "$top/build"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ctest --output-on-failure -j"$(nproc)"
