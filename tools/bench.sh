#!/bin/bash
# bench.sh: builds the benchmark, the program and the console stand-in
# (Release, build-bench/), generates the texts into a temporary folder and
# prints every figure of one run: measuring against the job's limit (reading
# the text, writing and syncing its index), reopening, frame times and the
# program's peak memory with the dummy video driver; the book view's cut,
# first visit, reopening and peak memory against the plain view's;
# measuring on a real display (Xvfb) beside the dummy driver, on classic SDL 1.2 and on
# sdl12-compat, with the bytes presented meanwhile; and the callgrind
# instruction counts of the measuring pass, of one page (ASCII and
# Cyrillic) and list frame, and of loading the font sheet.
# The texts are generated once into $BENCH_TEXTS, else build-bench/texts:
# on a disk, where syncing an index takes what it takes (a tmpfs syncs
# nothing).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/need.sh" g++ cmake make pkg-config libsdl1.2-dev libsdl1.2-compat xvfb xdotool valgrind
compat=/usr/lib/x86_64-linux-gnu/sdl12-compat
build="$top/build-bench"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOMO_TESTS=OFF -DTOMO_BENCH=ON -DTOMO_WERROR=ON >/dev/null
cmake --build "$build" --target tomo_bench -j2 >/dev/null
bench="$build/bench/tomo_bench"

dir=${BENCH_TEXTS:-$build/texts}
mkdir -p "$dir"
scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT INT TERM
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# --- with the dummy driver ----------------------------------------------------
"$bench" "$dir"

# --- measuring on a display ---------------------------------------------------
# A present costs nothing with the dummy driver; in a window it is a copy to
# the X server (through SDL 2's renderer under sdl12-compat). Each set-up
# runs in a process of its own, on a 1920 x 1080 Xvfb screen, in the window
# the desktop flavour opens there (3 times the screen's size; with the
# dummy driver classic SDL reports no display size, sdl12-compat 1024 x 768).
# a display number of its own, away from the low ones that servers of
# other runs take; -noreset, or the server resets whenever its last client
# leaves (the readiness probe, each run) and refuses connections meanwhile
n=$(( 100 + $$ % 800 ))
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -noreset 2>"$scratch/xvfb.log" &
xvfb_pid=$!
display=":$n"
for _ in $(seq 100); do
    DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "bench.sh: Xvfb did not start on $display" >&2; exit 1; }
    sleep 0.1
done
DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "bench.sh: Xvfb on $display takes no connection" >&2; exit 1; }
setups=("classic dummy" "classic x11" "compat dummy" "compat x11")
texts=(lines-10MB.txt paragraphs-10MB.txt lines-100MB.txt paragraphs-100MB.txt)
declare -A ms bytes scale
for text in "${texts[@]}"; do
    runs=5
    case $text in *100MB*) runs=3 ;; esac
    for setup in "${setups[@]}"; do
        read -r lib driver <<< "$setup"
        libpath=""
        [ "$lib" = compat ] && libpath=$compat
        if ! out=$(env LD_LIBRARY_PATH="$libpath" SDL_VIDEODRIVER="$driver" DISPLAY="$display" \
                   "$bench" --first-visit "$dir/$text" "$runs"); then
            echo "bench.sh: $setup failed on $display: $(tail -n 3 "$scratch/xvfb.log")" >&2
            exit 1
        fi
        read -r ms["$text $setup"] bytes["$text $setup"] scale["$setup"] <<< "$out"
    done
done
echo
echo "Measuring on a display: first visit, wall-clock milliseconds, best of 5 runs"
echo "(3 for 100 MB), and against classic SDL with the dummy driver"
printf '%-22s %16s %16s %16s %16s\n' text "classic, dummy" "classic, X11" "compat, dummy" "compat, X11"
for text in "${texts[@]}"; do
    printf '%-22s' "$text"
    for setup in "${setups[@]}"; do
        printf ' %16s' "$(awk -v t="${ms[$text $setup]}" -v b="${ms[$text classic dummy]}" \
            'BEGIN { printf "%.2f (%.2fx)", t, t / b }')"
    done
    echo
done
printf '%-22s' "window scale"
for setup in "${setups[@]}"; do printf ' %16s' "${scale[$setup]}x"; done
echo
echo
echo "Bytes presented while measuring, per MB of text (the most of one run)"
printf '%-22s %16s %16s %16s %16s\n' text "classic, dummy" "classic, X11" "compat, dummy" "compat, X11"
for text in "${texts[@]}"; do
    size=$(stat -c %s "$dir/$text")
    printf '%-22s' "$text"
    for setup in "${setups[@]}"; do
        printf ' %16s' "$(awk -v n="${bytes[$text $setup]}" -v s="$size" 'BEGIN { printf "%.0f", n / (s / 1e6) }')"
    done
    echo
done

# --- instructions -------------------------------------------------------------
# per_byte measure|cut: instructions per byte of each 10 MB text, plain
# against book, of the measuring pass as the console runs it (the same
# portable code: GetFileInfo alone, one first visit; in the book view, with
# the line index file there already, whose reuse is counted too, a few
# hundred instructions) or of the cut alone.
per_byte() {
    local what=$1 toggle title text view size
    local -a run
    local -A ir
    if [ "$what" = measure ]; then toggle='GetFileInfo*' title='the measuring pass'
    else toggle='*CutText*' title='the cut alone'; fi
    echo
    echo "Instructions per byte of $title (callgrind --toggle-collect='$toggle')"
    printf '%-22s %8s %8s %10s\n' text plain book book/plain
    for text in lines-10MB.txt paragraphs-10MB.txt prose-10MB.txt cyrillic-10MB.txt; do
        size=$(stat -c %s "$dir/$text")
        rm -f "$dir/.$text.tomo" "$dir/.$text.tomo-book"
        for view in plain book; do
            case $what-$view in
            measure-plain) run=(--measure "$dir/$text") ;;
            measure-book) run=(--measure-book "$dir/$text") ;;
            *) run=(--cut "$dir/$text" "$view") ;;
            esac
            valgrind --tool=callgrind --toggle-collect="$toggle" \
                --callgrind-out-file="$scratch/callgrind.$view" "$bench" "${run[@]}" 2>/dev/null
            ir[$view]=$(sed -n 's/^totals: *//p' "$scratch/callgrind.$view")
        done
        awk -v t="$text" -v p="${ir[plain]}" -v b="${ir[book]}" -v s="$size" \
            'BEGIN { printf "%-22s %8.2f %8.2f %9.2fx\n", t, p / s, b / s, b / p }'
    done
}
per_byte measure
per_byte cut

# Instructions of render2 alone, over 100 frames of one kind, drawn from the
# sheet as the program keeps it ("copy": in the screen's format, each glyph
# a copy of its rows) and from the sheet as loaded ("loaded", converted by
# SDL on every glyph).
echo
echo "Instructions per frame of render2 (callgrind --toggle-collect='render2*', 100 frames)"
for kind in page cyrillic list; do
    for sheet in copy loaded; do
        valgrind --tool=callgrind --toggle-collect='render2*' \
            --callgrind-out-file="$scratch/callgrind.$kind.$sheet" \
            "$bench" --frames "$kind" 100 $( [ $sheet != copy ] && echo $sheet ) 2>/dev/null
        total=$(sed -n 's/^totals: *//p' "$scratch/callgrind.$kind.$sheet")
        printf '%-22s %10d\n' "$kind, $sheet sheet" $((total / 100))
    done
done

# Instructions of loading the font sheet and making its copy for the screen,
# what the console pays at every start.
echo
echo "Instructions of loading the font sheet and its copy (callgrind --toggle-collect='*LoadSheet*', 10 times)"
valgrind --tool=callgrind --toggle-collect='*LoadSheet*' \
    --callgrind-out-file="$scratch/callgrind.sheet" "$bench" --sheet 10 2>/dev/null
total=$(sed -n 's/^totals: *//p' "$scratch/callgrind.sheet")
printf '%-22s %10d\n' "load and convert" $((total / 10))
