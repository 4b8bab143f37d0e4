#!/usr/bin/env bash
# Source checks the build cannot make: Qt stays inside framework/gui, and every source is
# formatted as .clang-format says. Exits non-zero with the offending files listed.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
log=$(mktemp)

qt=$(git ls-files '*.h' '*.cpp' | grep -v '^framework/gui/' |
    xargs grep -lE '^\s*#\s*include\s*[<"]Q[A-Za-z]*(/[A-Za-z]+)?[>"]' || true)
if [ -n "$qt" ]; then
    echo "Qt headers are included outside framework/gui:" >&2
    echo "$qt" | sed 's/^/  /' >&2
    status=1
fi

if ! git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run -Werror 2>"$log"; then
    echo "Unformatted sources (run clang-format -i on them):" >&2
    grep -oE '^[^: ]+\.(h|cpp):[0-9]+:[0-9]+: error' "$log" | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
    status=1
fi
rm -f "$log"
exit $status
