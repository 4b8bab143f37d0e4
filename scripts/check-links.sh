#!/usr/bin/env bash
# Checks what the built programs link: both programs are there, neither carries the test kit,
# and Pelmora carries no window class of app/ but what the view helpers and the data module
# give it (the data module itself): it shares with Orvanti only `ViewHelpers` and `DataMod`.
#   check-links.sh [build dir, default build-ci]
# Exits non-zero with the missing program, or the offending program and symbols, listed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-ci}
status=0

# Fails when the program links a symbol matching the pattern.
forbid() {
    local program=$1 pattern=$2 what=$3 found
    found=$(nm -C "$program" | grep -E "$pattern" | head -5 || true)
    if [ -n "$found" ]; then
        echo "$program links $what:" >&2
        echo "$found" | sed 's/^/  /' >&2
        status=1
    fi
}

# The window classes of app/: every class of its headers that derives from a form or a data
# module, directly or through another such class. Those of ViewHelpers.h and DataMod.h are
# what Pelmora may link; the rest are Orvanti's own.
window_classes() {
    local bases='TForm|TCustomForm|TDataModule' found=() name base added=1
    local -A seen=()
    while ((added)); do
        added=0
        while read -r name base; do
            if [[ -z ${seen[$name]:-} && $base =~ ^($bases)$ ]]; then
                seen[$name]=1
                bases+="|$name"
                added=1
            fi
        done < <(sed -nE 's/^(class|struct) +(\w+)( +final)? *: *public +(\w+).*/\2 \4/p' app/*.h)
    done
    for name in "${!seen[@]}"; do
        if ! grep -qE "^(class|struct) +$name\b" app/ViewHelpers.h app/DataMod.h; then
            found+=("$name")
        fi
    done
    printf '%s\n' "${found[@]}" | sort
}

mapfile -t orvanti_windows < <(window_classes)
# A broken search would forbid nothing and pass: the main window must be among them.
if ! printf '%s\n' "${orvanti_windows[@]}" | grep -qx TfmHolder; then
    echo "check-links.sh found no window classes of app/ (looked for TfmHolder)" >&2
    exit 1
fi

# A missing program is a failure: what it would link is not known.
for program in "$dir/app/Orvanti" "$dir/windrose/Pelmora"; do
    if [ -f "$program" ]; then
        forbid "$program" 'TestKit::' "the test kit"
    else
        echo "$program is missing: build it first" >&2
        status=1
    fi
done
if [ -f "$dir/windrose/Pelmora" ]; then
    windows=$(IFS='|'; echo "${orvanti_windows[*]}")
    forbid "$dir/windrose/Pelmora" "\\b($windows|TExSpinEdit)\\b" "Orvanti's windows"
fi
exit $status
