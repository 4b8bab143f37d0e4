#!/usr/bin/env bash
# Installs what is missing, checks that Qt stays inside framework/gui and that the sources are
# formatted, builds with warnings as errors, checks what the programs link, runs every test,
# then does the same in a build with address and undefined-behaviour sanitizers, and runs the
# benchmarks once.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each phase's time, printed at the end (and as each phase begins), so that a slow run shows
# where its time went.
phases=()
phase_name=
phase_start=$SECONDS
phase() {
    [ -n "$phase_name" ] && phases+=("$(printf '%5d s  %s' $((SECONDS - phase_start)) "$phase_name")")
    phase_name=$1
    phase_start=$SECONDS
    [ -n "$phase_name" ] && echo "== $phase_name (at $SECONDS s)"
    return 0
}
phase "system packages and source checks"
scripts/setup.sh
scripts/check.sh
export QT_QPA_PLATFORM=offscreen
export HKCU_STORE=$(mktemp -d)/hkcu.store

phase "build (warnings as errors)"
scripts/build.sh build-ci -DORV_WERROR=ON
scripts/check-links.sh build-ci
phase "ctest"
ctest --test-dir build-ci -j8 --output-on-failure

# ctest runs one test per process; each test binary also runs whole, in an order shuffled by
# the printed seed, so that no test relies on what an earlier one in the same process left.
phase "each test binary whole, shuffled"
seed=$(($(date +%s) % 99999 + 1))
echo "Each test binary whole, shuffled with seed $seed"
shuffled_log=$(mktemp)
for t in $(find build-ci -name '*_tests' -type f -executable | sort); do
    if ! "$t" --gtest_shuffle --gtest_random_seed=$seed --gtest_brief=1 >"$shuffled_log" 2>&1; then
        cat "$shuffled_log"
        echo "Failed: $t --gtest_shuffle --gtest_random_seed=$seed"
        exit 1
    fi
done
rm -f "$shuffled_log"

# Modal windows opened from menus, through the real nested loop, and a journey through the
# real file dialogs and printing, under a memory checker that sees the toolkit's heap (the
# sanitizer build does not); the journey also on an X display. The toolkit's regular
# expressions are not compiled to machine code under the checker (their generated code
# reads memory the checker cannot follow); scripts/valgrind.supp holds the known reports of
# system libraries.
phase "valgrind runs"
memcheck=(valgrind --error-exitcode=1 --leak-check=no --quiet
    --suppressions=scripts/valgrind.supp)
# The runs go side by side, each with a log of its own, shown when it fails.
checks=()
check() {
    local log
    log=$(mktemp)
    QT_ENABLE_REGEXP_JIT=0 "$@" >"$log" 2>&1 &
    checks+=("$!:$log:$*")
}
journey='GraphPrintTest.MeasurementsOpenedAndAChartPrintedThroughTheRealFileDialogs'
check "${memcheck[@]}" build-ci/framework/gui/gui_tests --gtest_filter='MenusTest.*'
check "${memcheck[@]}" build-ci/app/app_tests \
    --gtest_filter="EnergyChartsTest.ChartsFromTheGraphsDropDown*:$journey"
# The keyboard journeys: every view of the main window reached from every other, the windows
# the views open (modal ones also in their real nested loops), walked by keyboard and closed
# every way (about 3 minutes under the checker, in two runs).
check "${memcheck[@]}" build-ci/app/app_tests --gtest_filter='KeyboardJourneyTest.*'
check "${memcheck[@]}" build-ci/app/app_tests --gtest_filter='WindowKeyboardJourneyTest.*'
check env QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x1024x24' \
    "${memcheck[@]}" build-ci/app/app_tests --gtest_filter="$journey"
# A random walk through each program under the same checker (ctest walks more seeds in both
# builds; scripts/monkey.sh walks for longer).
check "${memcheck[@]}" build-ci/walk/random_walk Orvanti --seed 1 --steps 400
check "${memcheck[@]}" build-ci/walk/random_walk Pelmora --seed 1 --steps 300
failed=0
for c in "${checks[@]}"; do
    pid=${c%%:*}
    rest=${c#*:}
    log=${rest%%:*}
    if ! wait "$pid"; then
        tail -80 "$log"
        echo "Failed under valgrind: ${rest#*:}"
        failed=1
    fi
    rm -f "$log"
done
((failed == 0)) || exit 1

phase "sanitizer build"
scripts/build.sh build-asan -DORV_WERROR=ON -DORV_SANITIZE=ON -DORV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
phase "ctest in the sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
    ctest --test-dir build-asan -j8 --output-on-failure

phase "benchmarks"
for b in build-ci/bench/*_bench; do
    [ -x "$b" ] && "$b" --benchmark_min_time=0.05
done

# Every file reader under the fuzzer for a short, fixed number of runs (scripts/fuzz.sh N
# runs longer searches on demand).
phase "fuzzers"
scripts/fuzz.sh 5000
phase ""
echo "Time per phase (${SECONDS} s in all):"
printf '%s\n' "${phases[@]}"
