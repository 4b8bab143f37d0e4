#!/usr/bin/env bash
# Installs what is missing, builds, and starts a program on its default data:
#   scripts/run.sh [Orvanti|Pelmora]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-Orvanti}
scripts/setup.sh
scripts/build.sh build -DORV_BENCH=OFF
case "$program" in
    Orvanti) exec build/app/Orvanti ;;
    Pelmora) exec build/windrose/Pelmora ;;
    *) echo "Unknown program: $program (Orvanti or Pelmora)" >&2; exit 2 ;;
esac
