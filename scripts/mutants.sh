#!/usr/bin/env bash
# Breaks, one at a time, what the tests are there to guard, and shows which check notices:
#   scripts/mutants.sh [NAME...]     every mutation (or the named ones), then a table
#   scripts/mutants.sh --list        the mutations, their files and their checks
# A copy of the committed tree (HEAD; uncommitted changes are left out) is kept in
# build-mutants/tree and built there in the sanitizer build, so a second run builds only
# what changed since. For each mutation the script makes its one edit (a Perl substitution
# that must match exactly once: a mutation whose code has changed stops the script rather
# than run as a no-op), builds only the targets its checks need, runs its checks in order
# with ctest as the test command runs them, and puts the file back. The table gives, per
# mutation, the first check that failed with its failing test and the walk's step or the
# failure's kind, or SURVIVED. Ends with status 1 when a mutation expected to be caught
# survived. Not part of the test command (about 20 minutes for every mutation).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# ---------------------------------------------------------------------------
# The mutations. Each: name; when it is expected to be caught ("now", or "later" for
# checks still to come); file; Perl pattern; replacement ($1..$9 are the pattern's groups,
# \n a new line); checks, tried in order until one fails. A check is TARGET:REGEX, the
# ctest names of the sanitizer build that REGEX matches once TARGET is built (the random
# walk's ctest seeds are random_walk_<program>_<seed>). A mutation with no file is a
# placeholder, listed as "not defined".
names=() whens=() files=() patterns=() replacements=() checks=()
mutation() {
    names+=("$1") whens+=("$2") files+=("$3") patterns+=("$4") replacements+=("$5")
    checks+=("$6")
}

# 1. A window control freed under a live parent leaves the parent's tab list by address
#    (it is no window control to dynamic_cast inside its own destructor).
mutation tab-list-by-class now framework/gui/WinControl.cpp \
    'std::erase_if\(FTabList,\s*\[control\]\(TWinControl\* w\) \{ return static_cast<TControl\*>\(w\) == control; \}\);' \
    'if (auto* w = dynamic_cast<TWinControl*>(control))\n        std::erase(FTabList, w);' \
    'app_tests:^FreedWindowsTest\.Tab random_walk:^random_walk_Orvanti_'

# 2. The periods chart refills the series the chart editor left in its place; the mutant
#    refills only the window's own series, gone once the editor changed or deleted it.
mutation periods-refill-own-series-only now app/SsnGr.cpp \
    'TChartSeries\* series = PeriodsSeries\(\);' \
    'TChartSeries* series = Series1;' \
    'app_tests:^FreedWindowsTest\.ThePeriodsChart app_tests:^KeyboardJourneyTest\. random_walk:^random_walk_Orvanti_'

# 3. A button freed while in its button group takes its item with it, found by address;
#    the mutant looks it up by class, which a button in its destructor no longer has.
mutation button-group-lookup-by-class now controls/fxButtonGroup.cpp \
    'FItems->FindByButton\(control\)' \
    'FItems->FindByButton(button)' \
    'controls_tests:^FxButtonGroupTest\. random_walk:^random_walk_Orvanti_'

# 4. The test kit's clicks, double clicks and drags keep to the window they began on; the
#    mutants send the rest of the gesture to the control again, freed by the first press,
#    or the rest of a double click to the window under the mouse once the first is gone.
mutation testkit-double-click-to-freed now framework/gui/TestKit.cpp \
    'SendMouseAt\(top, QEvent::MouseButtonDblClick, global, Qt::LeftButton, \{\}\);\n(\s*)SendMouseAt\(top, QEvent::MouseButtonRelease, global, Qt::LeftButton, \{\}\);' \
    'SendMouse(control, QEvent::MouseButtonDblClick, at, Qt::LeftButton, {});\n$1SendMouse(control, QEvent::MouseButtonRelease, at, Qt::LeftButton, {});' \
    'gui_tests:^TestKitTest\. random_walk:^random_walk_'
mutation testkit-double-click-to-window-under now framework/gui/TestKit.cpp \
    'SendMouseAt\(top, QEvent::MouseButtonDblClick, global, Qt::LeftButton, \{\}\);\n(\s*)SendMouseAt\(top, QEvent::MouseButtonRelease, global, Qt::LeftButton, \{\}\);' \
    'const QPointer<QWidget> now = QApplication::topLevelAt(global);\n$1SendMouseAt(now, QEvent::MouseButtonDblClick, global, Qt::LeftButton, {});\n$1SendMouseAt(now, QEvent::MouseButtonRelease, global, Qt::LeftButton, {});' \
    'gui_tests:^TestKitTest\. random_walk:^random_walk_'
mutation testkit-click-release-to-freed now framework/gui/TestKit.cpp \
    'SendMouseAt\(top, QEvent::MouseButtonRelease, global, QtButton\(button\), shift\);' \
    'SendMouse(control, QEvent::MouseButtonRelease, at, QtButton(button), shift);' \
    'gui_tests:^TestKitTest\. random_walk:^random_walk_'
mutation testkit-drag-release-to-freed now framework/gui/TestKit.cpp \
    'SendMouseAt\(top, QEvent::MouseButtonRelease, end, QtButton\(button\), \{\}\);' \
    'SendMouse(control, QEvent::MouseButtonRelease, to, QtButton(button), {});' \
    'gui_tests:^TestKitTest\. random_walk:^random_walk_'

# 5. A button with Cancel answers Esc: the mutant never does, so no dialog closes on Esc.
mutation esc-ignored-by-cancel-button now framework/gui/StandardControls.cpp \
    '\(key == VK_ESCAPE && FCancel\)' \
    '(key == VK_ESCAPE && FCancel && false)' \
    'app_tests:^WindowKeyboardJourneyTest\. app_tests:^KeyboardJourneyTest\. random_walk:^random_walk_'

# 6. Tab reaches every stop: the mutant makes Tab and Shift+Tab pass over two of the design
#    page's stops (the wind generator's model name and rated power), still tab stops.
mutation tab-skips-two-design-stops now framework/gui/WinControl.cpp \
    'if \(c->CanFocus\(\) && \(!checkTabStop \|\| c->TabStop\(\)\)\) \{' \
    'if (c->CanFocus() && (!checkTabStop || c->TabStop()) && c->Name() != "edPR" &&\n            c->Name() != "edModelName") {' \
    'app_tests:^KeyboardJourneyTest\.'

# 7. A list view is a tab stop (the device catalogue's list among them).
mutation catalogue-list-no-tab-stop now framework/gui/ListView.cpp \
    '\n\s*// Reached by Tab like the other input controls: its keys move the selection\.\n\s*SetTabStop\(true\);' \
    '' \
    'app_tests:^WindowKeyboardJourneyTest\.DeviceEditorAndCatalogue app_tests:^WindowKeyboardJourneyTest\.'

# 8. A key with Alt (and no Ctrl) that types a character is kept from the box's own
#    widget: the mutant hands it over, and Alt with a letter types the letter.
mutation alt-letter-types now framework/gui/WinControl.cpp \
    '!\(ke->modifiers\(\) & Qt::ControlModifier\);' \
    '!(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier));' \
    'gui_tests:^StandardControlsTest\.AltWith app_tests:^FreedWindowsTest\.AltWith'

# 9. While a chart is docked over a view, the view's controls take no focus and no key.
#    The mutant docks the chart without disabling what it covers.
mutation docked-chart-view-takes-keys now app/ViewHelpers.cpp \
    'new TCoverGuard\(host, form\);' \
    '(void)0;' \
    'app_tests:^DockedChartKeysTest\.'

# 10. A program error thrown by a click handler of the design page (every editor button
#     but the wind generator's, so the page still opens).
mutation design-click-throws now app/design.cpp \
    '(\n(\s*)int tag = button->Tag\(\);)' \
    '$1\n$2if (tag != 0)\n$2    throw std::out_of_range("mutant");' \
    'random_walk:^random_walk_Orvanti_ app_tests:^(FreedWindowsTest|KeyboardJourneyTest)\.'

# 11. A window's own key does what it is for: the mutant takes F11 from the charts'
#     "Ιδιότητες", so it opens no chart editor.
mutation chart-f11-opens-nothing now app/GraphBase.cpp \
    '"Ιδιότητες", 1, TextToShortCut\("F11"\),' \
    '"Ιδιότητες", 1, scNone,' \
    'app_tests:^KeyboardJourneyTest\.EveryDockedChart'

# ---------------------------------------------------------------------------

usage() {
    echo "usage: $0 [--list] [NAME...]" >&2
    exit 2
}

index_of() {
    local i
    for i in "${!names[@]}"; do
        [[ ${names[i]} == "$1" ]] && { echo "$i"; return 0; }
    done
    return 1
}

if [[ ${1:-} == --list ]]; then
    for i in "${!names[@]}"; do
        printf '%-32s %-6s %-36s %s\n' "${names[i]}" "${whens[i]}" \
            "${files[i]:-(not defined)}" "${checks[i]}"
    done
    exit 0
fi
[[ ${1:-} == -* ]] && usage
chosen=()
if (($#)); then
    for name in "$@"; do
        i=$(index_of "$name") || { echo "no mutation named $name (see --list)" >&2; exit 2; }
        chosen+=("$i")
    done
else
    chosen=("${!names[@]}")
fi

base=$root/build-mutants
tree=$base/tree
build=$tree/build-asan
mkdir -p "$base"
exec 9>"$base/.lock"
flock -n 9 || { echo "another mutants.sh runs in $base" >&2; exit 1; }

# The copy of HEAD: only files whose content differs are written, so the build there stays
# incremental from one run to the next (and a file left mutated by a killed run is mended).
stage=$base/stage
rm -rf "$stage"
mkdir -p "$stage" "$tree"
git archive HEAD | tar -x -C "$stage"
(cd "$stage" && find . -type f) | while IFS= read -r f; do
    if ! cmp -s "$stage/$f" "$tree/$f"; then
        mkdir -p "$(dirname "$tree/$f")"
        cp "$stage/$f" "$tree/$f"
    fi
done
(cd "$tree" && find . -path ./build-asan -prune -o -type f -print) | while IFS= read -r f; do
    [[ -e $stage/$f ]] || rm -f "$tree/$f"
done
rm -rf "$stage"
echo "tree: $tree at $(git rev-parse --short HEAD)"

# Every chosen mutation's pattern must match its file exactly once before anything runs.
apply() { # file pattern replacement: rewrites the file, fails unless one match
    PATTERN=$2 REPLACEMENT=$3 perl -0777 -i -pe '
        BEGIN { $p = $ENV{PATTERN}; $r = $ENV{REPLACEMENT}; $r =~ s/\\n/\n/g; }
        my $n = 0;
        $n++ while /$p/g;
        die "pattern matches $n times, not once\n" unless $n == 1;
        s/$p/ my @g = @{^CAPTURE}; (my $t = $r) =~ s{\$(\d)}{$g[$1 - 1] \/\/ ""}ge; $t /e;
    ' "$1"
}
for i in "${chosen[@]}"; do
    [[ -n ${files[i]} ]] || continue
    scratch=$(mktemp)
    cp "$tree/${files[i]}" "$scratch"
    if ! apply "$scratch" "${patterns[i]}" "${replacements[i]}" 2>"$scratch.err"; then
        echo "MUTATION ${names[i]}: ${files[i]}: $(cat "$scratch.err")" >&2
        echo "its code has changed: mend its pattern in $0" >&2
        rm -f "$scratch" "$scratch.err"
        exit 1
    fi
    rm -f "$scratch" "$scratch.err"
done

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORV_WERROR=ON \
    -DORV_SANITIZE=ON -DORV_BENCH=OFF "${launcher[@]}" >/dev/null

# The targets the chosen mutations' checks need, built once unmutated.
targets=()
for i in "${chosen[@]}"; do
    read -ra cs <<<"${checks[i]}"
    for c in "${cs[@]}"; do
        [[ " ${targets[*]} " == *" ${c%%:*} "* ]] || targets+=("${c%%:*}")
    done
done
logs=$base/logs
rm -rf "$logs"
mkdir -p "$logs"
build_targets() { # log target...
    local log=$1
    shift
    local args=()
    for t in "$@"; do args+=(--target "$t"); done
    cmake --build "$build" -j"$(nproc)" "${args[@]}" >"$log" 2>&1
}
if ((${#targets[@]})); then
    echo "building ${targets[*]}"
    build_targets "$logs/build.log" "${targets[@]}" || {
        tail -40 "$logs/build.log"
        echo "the unmutated tree does not build" >&2
        exit 1
    }
fi

export QT_QPA_PLATFORM=offscreen
HKCU_STORE=$(mktemp -d)/hkcu.store
export HKCU_STORE
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$tree/scripts/lsan.supp

# The output of one failed ctest test within a ctest log.
test_output() { # log test
    awk -v t="$2" '
        $0 ~ "Test +#[0-9]+: " && index($0, t " ") { on = 1; next }
        on && ($0 ~ /^ *[0-9]+\/[0-9]+ Test +#/ || $0 ~ /tests passed, /) { exit }
        on { print }
    ' "$1"
}
# What a failed test's output shows first: a sanitizer's report, a failed expectation or
# a walk's last step.
failure_of() { # output-file
    local out=$1 what step
    what=$(grep -aoE -m1 'AddressSanitizer: [a-z-]+|LeakSanitizer|runtime error: .{0,60}|[A-Za-z0-9_./]+\.(cpp|h):[0-9]+: Failure|Timeout|terminate called.{0,60}' "$out" || true)
    step=$(grep -aoE '^[0-9]+ ' "$out" | tail -1 | tr -d ' ' || true)
    [[ -n $step ]] && what="step $step${what:+: $what}"
    echo "${what:-failed (see log)}"
}

restore=""
trap '[[ -n $restore ]] && cp "$restore" "$tree/${files[current]}" && touch "$tree/${files[current]}"' EXIT

rows=()
sep=$'\x1f'
survivors=0
missing=0
for i in "${chosen[@]}"; do
    name=${names[i]}
    if [[ -z ${files[i]} ]]; then
        rows+=("$name$sep${whens[i]}${sep}not defined$sep$sep")
        continue
    fi
    echo "== $name (${files[i]})"
    current=$i
    restore=$logs/$name.orig
    cp "$tree/${files[i]}" "$restore"
    apply "$tree/${files[i]}" "${patterns[i]}" "${replacements[i]}"
    caught="" test="" detail=""
    built=()
    read -ra cs <<<"${checks[i]}"
    for c in "${cs[@]}"; do
        target=${c%%:*}
        regex=${c#*:}
        if [[ " ${built[*]} " != *" $target "* ]]; then
            if ! build_targets "$logs/$name.build.log" "$target"; then
                caught="build of $target" detail="does not compile: $logs/$name.build.log"
                break
            fi
            built+=("$target")
        fi
        log=$logs/$name.$target.log
        start=$(date +%s)
        if ctest --test-dir "$build" -R "$regex" -j8 --timeout 300 --no-tests=error \
            --output-on-failure >"$log" 2>&1; then
            echo "   $c passes ($(($(date +%s) - start)) s)"
            continue
        fi
        if grep -aq 'No tests were found' "$log"; then
            caught="NO TEST MATCHES $c" detail="mend the check in $0"
            missing=$((missing + 1))
            break
        fi
        caught=$c
        test=$(sed -n '/The following tests FAILED:/,$p' "$log" |
            grep -aoE '^\s+[0-9]+ - [^ ]+' | head -1 | sed 's/^.* - //')
        if [[ -n $test ]]; then
            test_output "$log" "$test" >"$log.failed"
            detail=$(failure_of "$log.failed")
        else
            detail=$(grep -a -m1 -iE 'error|no tests' "$log" || echo "ctest failed: $log")
        fi
        echo "   $c FAILS ($(($(date +%s) - start)) s): $test $detail"
        break
    done
    cp "$restore" "$tree/${files[i]}"
    touch "$tree/${files[i]}"
    restore=""
    if [[ -z $caught ]]; then
        caught=SURVIVED
        [[ ${whens[i]} == now ]] && survivors=$((survivors + 1))
    fi
    rows+=("$name$sep${whens[i]}$sep$caught$sep$test$sep$detail")
done

echo
printf '%-36s %-6s %-48s %-70s %s\n' mutation expect "failed check" test "step or failure"
for row in "${rows[@]}"; do
    IFS=$sep read -r n w c t d <<<"$row"
    printf '%-36s %-6s %-48s %-70s %s\n' "$n" "$w" "$c" "$t" "$d"
done
echo "logs: $logs"
((missing == 0)) || echo "$missing check(s) match no test"
((survivors == 0)) || echo "$survivors mutation(s) expected to be caught survived"
((missing == 0 && survivors == 0))
