#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one over its seed corpus, for a fixed
# number of executions or for a given time per target:
#   scripts/fuzz.sh [runs-per-target] [target...]
#   scripts/fuzz.sh --time seconds-per-target [target...]
# CI runs it with a small count; run it with 1000000 or more, or with --time 600, to search
# for new faults.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=(-runs=20000)
if [[ ${1:-} == --time ]]; then
    [[ ${2:-} =~ ^[0-9]+$ ]] || { echo "usage: $0 --time seconds [target...]" >&2; exit 2; }
    limit=(-max_total_time="$2")
    shift 2
elif [[ ${1:-} =~ ^[0-9]+$ ]]; then
    limit=(-runs="$1")
    shift
fi
targets=("$@")
if ((${#targets[@]} == 0)); then
    for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
# The Qt parts are configured for the picture readers' targets; only the targets are built.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORV_FUZZ=ON -DORV_GUI=ON -DORV_BENCH=OFF -DORV_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}" >/dev/null
store_dir=$(mktemp -d)
trap 'rm -rf "$store_dir"' EXIT
export HKCU_STORE=$store_dir/hkcu.store
export QT_QPA_PLATFORM=offscreen
# The font library's caches grow with the font names a drawn picture asks for.
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
failed=0
for t in "${targets[@]}"; do
    corpus=fuzz/corpus/${t#fuzz_}
    work=$(mktemp -d)
    log=$(mktemp)
    # The component stream holds whole forms: its inputs reach 64 KB.
    case $t in
    fuzz_stream) max_len=65536 ;;
    *) max_len=4096 ;;
    esac
    # New inputs go to a scratch folder; the committed corpus is only read.
    start=$(date +%s%N)
    if build-fuzz/fuzz/$t "${limit[@]}" -max_len=$max_len -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/" "$work" "$corpus" >"$log" 2>&1; then
        # The fuzzer's own rate counts whole seconds (0 for a run under one): the rate is
        # worked out here from the wall time of the run.
        runs=$(grep -o 'number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
        elapsed_ms=$((($(date +%s%N) - start) / 1000000))
        echo "$t: $runs runs in $(awk -v ms="$elapsed_ms" 'BEGIN { printf "%.1f", ms / 1000 }') s," \
            "$(awk -v n="$runs" -v ms="$elapsed_ms" 'BEGIN { printf "%.0f", n * 1000 / (ms > 0 ? ms : 1) }')" \
            "a second, ok"
    else
        echo "$t: FAILED" >&2
        tail -40 "$log" >&2
        failed=1
    fi
    rm -rf "$work" "$log"
done
exit $failed
