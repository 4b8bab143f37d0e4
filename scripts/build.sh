#!/usr/bin/env bash
# Configures and builds one build tree:
#   build.sh <dir> [--target <name>]... [extra cmake options...]
# Without --target every target is built (programs, tests, benchmarks); with it, only the named
# targets and what they link.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
targets=()
options=()
while (($#)); do
    case "$1" in
        --target)
            targets+=(--target "$2")
            shift 2
            ;;
        *)
            options+=("$1")
            shift
            ;;
    esac
done
# A compiler cache, when the machine has one, makes a build of a fresh clone mostly cache hits.
if command -v ccache >/dev/null; then
    options=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache "${options[@]}")
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
