#!/usr/bin/env bash
# Puts each plausible fault of faults.txt into the code in turn, rebuilds what its tests need, runs
# them and reports whether the suite caught it. The source file is restored after every fault.
#
#   bash tests/mutations/run.sh [build-dir] [name-pattern]
#
# Each fault line of faults.txt: name | file | perl substitution (applied with -0pe to the whole
# file) | build targets | ctest regex. A substitution that changes nothing is reported as such.
set -uo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
only="${2:-}"
jobs="${JOBS:-2}"
list=tests/mutations/faults.txt
[ -f "$build/CMakeCache.txt" ] || { echo "mutations: configure and build $build first" >&2; exit 2; }

caught=0
survived=0
broken=0
backup="$(mktemp)"
file=""
# An interrupted run leaves no fault behind.
restore() {
    if [ -n "$file" ] && [ -s "$backup" ]; then cp -p "$backup" "$file" && touch "$file"; fi
    rm -f "$backup"
}
trap restore EXIT
trap 'exit 130' INT TERM
while IFS='|' read -r name file subst targets regex; do
    name="$(echo "$name" | xargs)"
    [ -z "$name" ] || [ "${name#\#}" != "$name" ] && continue
    [ -n "$only" ] && [[ "$name" != *$only* ]] && continue
    file="$(echo "$file" | xargs)"
    subst="$(echo "$subst" | sed 's/^ *//; s/ *$//')"
    targets="$(echo "$targets" | xargs)"
    regex="$(echo "$regex" | xargs)"
    cp -p "$file" "$backup"
    perl -0pi -e "$subst" "$file"
    if cmp -s "$file" "$backup"; then
        echo "NOT APPLIED  $name ($file: the pattern no longer matches)"
        broken=$((broken + 1))
        : >"$backup"
        continue
    fi
    log="$build/mutation-$name.log"
    if ! cmake --build "$build" -j "$jobs" --target $targets >"$log" 2>&1; then
        result="caught by the build"
        caught=$((caught + 1))
    else
        (cd "$build" && ctest -R "$regex" -j "$jobs" --timeout 900) >>"$log" 2>&1
        failed="$(grep -E '^\s*[0-9]+ - ' "$log" | sed -E 's/^\s*[0-9]+ - ([^ ]+).*/\1/' | sort -u |
            tr '\n' ' ')"
        if [ -n "$failed" ]; then
            result="caught by $failed"
            caught=$((caught + 1))
        else
            result="SURVIVED"
            survived=$((survived + 1))
        fi
    fi
    cp -p "$backup" "$file"
    # The restored file must be rebuilt from its own timestamp, not the mutated one's.
    touch "$file"
    : >"$backup"
    echo "$name: $result"
done <"$list"
cmake --build "$build" -j "$jobs" >/dev/null 2>&1
echo "faults caught: $caught, survived: $survived, not applied: $broken"
[ "$survived" -eq 0 ] && [ "$broken" -eq 0 ]
