#!/bin/bash
# run.sh SECONDS [TARGET...]: builds the libFuzzer targets with clang, ASan
# and UBSan through CMake (TOMO_FUZZ, in build-fuzz/) and runs each for
# SECONDS on a copy of its seed corpus (new finds go to build-fuzz/corpus/,
# crashes to build-fuzz/). Exits non-zero when a target finds a fault.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(targa linebreak bookcut lineindex)

"$top/tools/need.sh" clang libclang-rt-14-dev cmake make pkg-config libsdl1.2-dev

out=$top/build-fuzz
cmake -S "$top" -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DTOMO_FUZZ=ON -DTOMO_TESTS=OFF \
      -DTOMO_WERROR=ON >/dev/null
cmake --build "$out" -j2 --target "${targets[@]/%/_fuzz}"

# each target's files go to a folder of its own in /dev/shm when there is one
scratch=/dev/shm
[ -w "$scratch" ] || scratch=${TMPDIR:-/tmp}

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
    (cd "$out" && TMPDIR=$scratch "fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
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
