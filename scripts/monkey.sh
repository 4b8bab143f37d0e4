#!/usr/bin/env bash
# Builds the random walk in the sanitizer build (build-asan) and walks the programs for a
# given time:
#   scripts/monkey.sh SECONDS [SEED]
# Walks of up to 3000 steps, two through Orvanti for one through Pelmora, take the seeds
# SEED, SEED+1, ... (SEED from the clock when not given) until the time is up; each prints
# its seed and step count. A failing walk (a crash, a sanitizer report, or a finding: an
# exception no program means to show, a window nothing can close) keeps its steps in
# build-asan/walk-logs/ with the command that replays it; the walks go on, and the script
# ends with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ ${1:-} =~ ^[0-9]+$ ]] || { echo "usage: $0 SECONDS [SEED]" >&2; exit 2; }
seconds=$1
seed=${2:-$(($(date +%s) % 999983 + 1))}
[[ $seed =~ ^[0-9]+$ ]] || { echo "usage: $0 SECONDS [SEED]" >&2; exit 2; }
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Several walks may start at once: one builds at a time, and each walks its own copy of the
# program, which a later build cannot change under it.
mkdir -p build-asan
(
    flock 9
    scripts/build.sh build-asan -DORV_WERROR=ON -DORV_SANITIZE=ON -DORV_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" --target random_walk >/dev/null
) 9>build-asan/.monkey-build.lock
bin_dir=$(mktemp -d)
trap 'rm -rf "$bin_dir"' EXIT
cp build-asan/walk/random_walk "$bin_dir/"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
logs=build-asan/walk-logs
mkdir -p "$logs"
end=$(($(date +%s) + seconds))
programs=(Orvanti Orvanti Pelmora)
walks=0
steps=0
failed=0
while (($(date +%s) < end)); do
    program=${programs[walks % 3]}
    log=$logs/$program-$seed.log
    if "$bin_dir/random_walk" "$program" --seed "$seed" --steps 3000 \
        --seconds $((end - $(date +%s) + 1)) >"$log" 2>&1; then
        ended=$(grep -a '^walk ended' "$log")
        echo "$ended"
        taken=$(echo "$ended" | sed -n 's/.*, \([0-9]*\) steps (replay.*/\1/p')
        steps=$((steps + ${taken:-0}))
        rm -f "$log"
    else
        tail -80 "$log"
        echo "FAILED: $program seed $seed; every step in $log"
        # A finding ends the walk at its step; a crash at the last step logged.
        taken=$(sed -n 's/^walk FAILED: .*, \([0-9]*\) steps (replay.*/\1/p' "$log")
        [[ -n $taken ]] || taken=$(grep -aoE '^[0-9]+ ' "$log" | tail -1 | tr -d ' ')
        echo "replay: build-asan/walk/random_walk $program --seed $seed --steps $taken"
        failed=$((failed + 1))
    fi
    seed=$((seed + 1))
    walks=$((walks + 1))
done
if ((failed)); then
    echo "$walks walks, $failed failed"
    exit 1
fi
echo "$walks walks, $steps steps in $seconds s, no fault"
