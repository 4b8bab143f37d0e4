#!/usr/bin/env bash
# Installs what is missing, builds the program and the libraries it links (no tests, no
# benchmarks), and starts it on its default data:
#   scripts/run.sh [Orvanti|Pelmora]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-Orvanti}
case "$program" in
    Orvanti) path=build/app/Orvanti ;;
    Pelmora) path=build/windrose/Pelmora ;;
    *) echo "Unknown program: $program (Orvanti or Pelmora)" >&2; exit 2 ;;
esac
scripts/setup.sh
scripts/build.sh build --target "$program" -DORV_BENCH=OFF
exec "$path"
