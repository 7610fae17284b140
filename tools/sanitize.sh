#!/bin/sh
# sanitize.sh: the whole test suite, end-to-end tests included, built with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), then the
# race test of the two timer ticks built with ThreadSanitizer (build-tsan/).
# The first report of either ends the run with a failure.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
"$top/tools/deps.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# The stand-in is preloaded ahead of the ASan runtime, which the runtime
# accepts only when told.
export ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S "$top" -B "$top/build-asan" -DTOMO_SANITIZE=address -DTOMO_TESTS=ON -DTOMO_WERROR=ON >/dev/null
cmake --build "$top/build-asan" -j"$jobs"
(cd "$top/build-asan" && ctest --output-on-failure -j"$jobs" -E xwindow)

# No suppressions: a called_from_lib entry for SDL would also hide the
# locking of draw_lock, which SDL's mutex does through pthreads, and turn
# every frame beside a status tick into a reported race.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
cmake -S "$top" -B "$top/build-tsan" -DTOMO_SANITIZE=thread -DTOMO_TESTS=ON -DTOMO_WERROR=ON >/dev/null
cmake --build "$top/build-tsan" -j"$jobs" --target app_tests
"$top/build-tsan/tests/app_tests" --gtest_filter='TicksRace.*'
echo "sanitizers: no reports"
