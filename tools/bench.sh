#!/bin/sh
# bench.sh: builds the benchmark, the program and the console stand-in
# (Release, build-bench/), generates the texts into a temporary folder and
# prints every figure of one run: measuring against the read limit,
# reopening, frame times, the program's peak memory, and the callgrind
# instruction counts of one page frame and one list frame.
# The folder is made under $BENCH_TMPDIR, else /dev/shm, else /tmp.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/deps.sh"
if ! command -v valgrind >/dev/null; then
    SUDO=""
    [ "$(id -u)" = 0 ] || SUDO=sudo
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends valgrind
fi
build="$top/build-bench"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOMO_TESTS=OFF -DTOMO_BENCH=ON >/dev/null
cmake --build "$build" --target tomo_bench -j2 >/dev/null
bench="$build/bench/tomo_bench"

base=${BENCH_TMPDIR:-/dev/shm}
[ -d "$base" ] && [ -w "$base" ] || base=/tmp
dir=$(mktemp -d "$base/tomo-bench-XXXXXX")
trap 'rm -rf "$dir"' EXIT INT TERM
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

"$bench" "$dir"

# Instructions of render2 alone, over 100 frames of one kind, drawn from the
# sheet as the program keeps it ("copy": in the screen's format, keyed with
# a value that no pixel has), from the same copy without the key ("plain"),
# and from the sheet as loaded ("loaded", converted by SDL on every glyph).
echo
echo "Instructions per frame of render2 (callgrind --toggle-collect='render2*', 100 frames)"
for kind in page list; do
    for sheet in copy plain loaded; do
        valgrind --tool=callgrind --toggle-collect='render2*' \
            --callgrind-out-file="$dir/callgrind.$kind.$sheet" \
            "$bench" --frames "$kind" 100 $( [ $sheet != copy ] && echo $sheet ) 2>/dev/null
        total=$(sed -n 's/^totals: *//p' "$dir/callgrind.$kind.$sheet")
        printf '%-22s %10d\n' "$kind, $sheet sheet" $((total / 100))
    done
done
