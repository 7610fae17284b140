#!/bin/bash
# run.sh SECONDS [TARGET...]: builds the libFuzzer targets with ASan and
# UBSan into build-fuzz/ and runs each for SECONDS on a copy of its seed
# corpus (new finds go to build-fuzz/corpus/, crashes to build-fuzz/).
# Exits non-zero when a target finds a fault.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(targa linebreak lineindex)

need=""
for p in clang libclang-rt-14-dev libsdl1.2-dev pkg-config; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need="$need $p"
done
if [ -n "$need" ]; then
    SUDO=""
    [ "$(id -u)" = 0 ] || SUDO=sudo
    $SUDO apt-get update
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
fi

out=$top/build-fuzz
mkdir -p "$out"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -I"$top/include" -I"$top/graphics" -I"$top/viewer" -I"$top/app" $(pkg-config --cflags sdl))
core=("$top/app/state.cpp" "$top/viewer/linebreak.cpp" "$top/viewer/lineindex.cpp" "$top/viewer/memindex.cpp"
      "$top/viewer/navigation.cpp" "$top/viewer/position.cpp" "$top/graphics/glyphs.cpp")
sdl=("$top/graphics/targa.cpp" "$top/graphics/pixel.cpp" "$top/graphics/font.cpp"
     "$top/graphics/chrome.cpp" "$top/viewer/pageview.cpp")
libs=($(pkg-config --libs sdl))

for t in "${targets[@]}"; do
    clang++ "${flags[@]}" "$top/fuzz/${t}_fuzz.cpp" "${core[@]}" "${sdl[@]}" "${libs[@]}" -o "$out/${t}_fuzz"
done

status=0
for t in "${targets[@]}"; do
    corpus=$out/corpus/$t
    mkdir -p "$corpus"
    cp -n "$top/fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
    echo "== $t: ${seconds}s"
    # the loader's messages for refused sheets would drown the statistics
    # (-close_fd_mask=2); sanitizer reports still reach the log
    log=$out/$t.log
    rc=0
    (cd "$out" && "./${t}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -rss_limit_mb=4096 -print_final_stats=1 -close_fd_mask=2 -artifact_prefix="$out/${t}-" \
        "$corpus") >"$log" 2>&1 || rc=$?
    grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|peak_rss)' "$log" || true
    # a crash, a failed check, a timeout, a leak or running out of memory
    # all end libFuzzer with a non-zero status and leave the input behind
    if [ "$rc" -ne 0 ]; then
        echo "== $t: FAULT (status $rc), see $log"
        grep -E 'check failed|SUMMARY|ERROR|Test unit written' "$log" | head -5 || true
        status=1
    fi
done
exit $status
