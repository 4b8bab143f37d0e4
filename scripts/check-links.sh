#!/usr/bin/env bash
# Checks what the built programs link: neither program carries the test kit, and Pelmora
# carries none of Orvanti's windows (the main window, the wind-data editor, the spin edit):
# it shares only the data module, the view helpers and the chart windows' base.
#   check-links.sh [build dir, default build-ci]
# Exits non-zero with the offending program and symbols listed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-ci}
status=0

# Fails when the program exists and links a symbol matching the pattern.
forbid() {
    local program=$1 pattern=$2 what=$3 found
    [ -f "$program" ] || return 0
    found=$(nm -C "$program" | grep -E "$pattern" | head -5 || true)
    if [ -n "$found" ]; then
        echo "$program links $what:" >&2
        echo "$found" | sed 's/^/  /' >&2
        status=1
    fi
}

for program in "$dir/app/Orvanti" "$dir/windrose/Pelmora"; do
    forbid "$program" 'TestKit::' "the test kit"
done
forbid "$dir/windrose/Pelmora" '\b(TfmHolder|TfmWDataEd|TExSpinEdit)\b' "Orvanti's windows"
exit $status
