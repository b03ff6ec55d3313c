#!/bin/bash
# Plants small faults one at a time and sees whether the tests notice: each change of
# tools/fault-check.list is applied to the tree, the build is brought up to date for the tests
# labelled with the changed file's folder (`ctest -L render` for render/...), those tests are run,
# and the tree is restored before the next change. A change the tests let through is a fault a
# user could meet unwarned, unless the list gives the reason it cannot matter.
#
# Usage: tools/fault-check.sh [build folder, default build] [change number ...]
# The build folder is a configured Ninja build of this tree. With numbers, only those changes
# (counted from 1 in the list's order) are tried.
#
# Each change is one line of the list, its fields separated by tabs:
#   file  text  replacement  [reason]
# text must stand on exactly one line of file (checked before anything starts); that line has it
# replaced. A change with a reason is equivalent: it alters nothing a user can see, and is not
# tried. Lines starting with # and empty lines are left out.
#
# Output: one line per change (caught, missed, equivalent), then the score. The tree is always
# put back, also when the run is interrupted; a file with uncommitted changes is never touched.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
list=$root/tools/fault-check.list
build=${1:-build}
[ $# -gt 0 ] && shift
case $build in
/*) ;;
*) build=$PWD/$build ;;
esac
wanted=" $* "

fail() {
    echo "fault-check: $*" >&2
    exit 2
}

[ -f "$build/build.ninja" ] || fail "$build is not a configured Ninja build (cmake -S . -B $build -G Ninja)"
[ -f "$list" ] || fail "no list $list"

# The list, checked whole before the tree is touched: its changes as arrays.
files=() texts=() replacements=() reasons=()
number=0
while IFS= read -r line || [ -n "$line" ]; do
    case $line in '' | '#'*) continue ;; esac
    IFS=$'\t' read -r file text replacement reason <<<"$line"
    number=$((number + 1))
    [ -n "$file" ] && [ -n "$text" ] || fail "change $number: needs a file and a text"
    [ -f "$root/$file" ] || fail "change $number: no file $file"
    [ "$text" != "$replacement" ] || fail "change $number: the replacement is the text itself"
    matches=$(FC_TEXT=$text awk 'index($0, ENVIRON["FC_TEXT"]) { n++ } END { print n + 0 }' \
        "$root/$file")
    [ "$matches" = 1 ] || fail "change $number: \"$text\" stands on $matches lines of $file, not one"
    files+=("$file") texts+=("$text") replacements+=("$replacement") reasons+=("${reason:-}")
done <"$list"

# Uncommitted work is never overwritten, nor mistaken for the code under test.
cd "$root" || exit 2
touched=$(printf '%s\n' "${files[@]}" | sort -u)
# shellcheck disable=SC2086 # one path per line, none with blanks
if ! git diff --quiet HEAD -- $touched; then
    fail "uncommitted changes in $(git diff --name-only HEAD -- $touched | tr '\n' ' ')"
fi

backup=$(mktemp -d)
current=""
# Puts the file under change back; written anew, so the next build compiles it again.
restore() {
    if [ -n "$current" ]; then
        cat "$backup/original" >"$root/$current"
        current=""
    fi
}
finish() {
    restore
    rm -rf "$backup"
}
trap finish EXIT
trap 'echo "fault-check: interrupted, tree restored" >&2; exit 130' INT TERM HUP

# The files a label's tests run, as the build names them: the programs of their commands.
targets_of() {
    ctest --test-dir "$build" -L "^$1\$" --show-only=json-v1 2>/dev/null |
        python3 -c '
import json, os, sys
build = os.path.realpath(sys.argv[1])
seen = set()
for test in json.load(sys.stdin).get("tests", []):
    for part in test.get("command", []):
        path = os.path.realpath(part)
        if path.startswith(build + "/") and os.path.isfile(path):
            seen.add(os.path.relpath(path, build))
print("\n".join(sorted(seen)))' "$build"
}

caught=0 missed=0 equivalent=0 broken=0
for i in "${!files[@]}"; do
    number=$((i + 1))
    [ "$wanted" = "  " ] || [[ $wanted == *" $number "* ]] || continue
    file=${files[$i]} text=${texts[$i]} replacement=${replacements[$i]}
    what="$number $file: $text -> $replacement"
    if [ -n "${reasons[$i]}" ]; then
        equivalent=$((equivalent + 1))
        echo "equivalent  $what ($(printf '%s' "${reasons[$i]}"))"
        continue
    fi
    label=${file%%/*}
    mapfile -t targets < <(targets_of "$label")
    if [ ${#targets[@]} -eq 0 ]; then
        broken=$((broken + 1))
        echo "no tests    $what (label $label)"
        continue
    fi
    current=$file
    cp "$root/$file" "$backup/original"
    FC_TEXT=$text FC_NEW=$replacement awk '{
        at = index($0, ENVIRON["FC_TEXT"])
        if (at) $0 = substr($0, 1, at - 1) ENVIRON["FC_NEW"] substr($0, at + length(ENVIRON["FC_TEXT"]))
        print
    }' "$backup/original" >"$root/$file"
    if ! nice cmake --build "$build" --target "${targets[@]}" >"$backup/build.log" 2>&1; then
        broken=$((broken + 1))
        echo "no build    $what"
        restore
        continue
    fi
    if ctest --test-dir "$build" -L "^$label\$" -j2 --stop-on-failure >"$backup/test.log" 2>&1; then
        missed=$((missed + 1))
        echo "missed      $what"
    else
        caught=$((caught + 1))
        echo "caught      $what"
    fi
    restore
done

# The build as the tree stands again.
nice cmake --build "$build" >"$backup/build.log" 2>&1 || echo "fault-check: the final rebuild failed" >&2
tried=$((caught + missed))
percent=$((tried > 0 ? 100 * caught / tried : 0))
echo "score: $caught of $tried changes caught ($percent %), $missed missed, $equivalent equivalent," \
    "$broken not tried (no build or no tests)"
[ "$broken" -eq 0 ]
