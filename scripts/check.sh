#!/usr/bin/env bash
# Source checks the build cannot make: Qt stays inside framework/gui (no Qt header or Qt
# type name above it, no Qt header in framework/gui's public headers, no internal header of
# framework/gui used above it), and every source is formatted as .clang-format says. Exits
# non-zero with the offending files listed.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
log=$(mktemp)
qt_include='^\s*#\s*include\s*[<"]Q[A-Za-z]*(/[A-Za-z]+)?[>"]'

# Reports a failed check: its message, then the offending files or lines, indented.
report() {
    if [ -n "$2" ]; then
        echo "$1" >&2
        echo "$2" | sed 's/^/  /' >&2
        status=1
    fi
}

qt=$(git ls-files '*.h' '*.cpp' | grep -v '^framework/gui/' | xargs grep -lE "$qt_include" || true)
report "Qt headers are included outside framework/gui:" "$qt"

# Qt class names (QImage, QWidget ...) and the Qt namespace, in code or comments; the
# toolkit's environment variables (QT_QPA_PLATFORM) are not types.
names=$(git ls-files '*.h' '*.cpp' | grep -v '^framework/gui/' |
    xargs grep -nP '\bQ(?!T_)[A-Z]\w+|\bQt::' || true)
report "Qt types are named outside framework/gui (use the framework's calls):" "$names"

# Headers of framework/gui that only the framework's own sources may include: they
# include Qt. Every other header of framework/gui is public and includes no Qt header.
internal='framework/gui/WindowBridge.h'
public_qt=$(git ls-files 'framework/gui/*.h' | grep -v '^framework/gui/tests/' |
    grep -vxF "$internal" |
    xargs grep -lE "$qt_include" || true)
report "Public framework/gui headers include Qt (hide it in the source, or list the header as internal):" \
    "$public_qt"
pattern=$(echo "$internal" | sed 's/[.]/[.]/g' | paste -sd'|')
users=$(git ls-files '*.h' '*.cpp' | grep -v '^framework/gui/' |
    xargs grep -lE "^\s*#\s*include\s*\"($pattern)\"" || true)
report "Internal framework/gui headers are included outside framework/gui:" "$users"

if ! git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run -Werror 2>"$log"; then
    report "Unformatted sources (run clang-format -i on them):" \
        "$(grep -oE '^[^: ]+\.(h|cpp):[0-9]+:[0-9]+: error' "$log" | cut -d: -f1 | sort -u)"
fi
rm -f "$log"
exit $status
