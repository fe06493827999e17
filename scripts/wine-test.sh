#!/usr/bin/env bash
# Runs a Windows test program under Wine for CTest (the cross build's emulator).
# Once in a while, on a busy machine, Wine ends a program before any of its code runs: nothing is
# printed and the test fails in a hundredth of a second. Such a start is said, with Wine's exit
# code, and made again (twice at most). A program that printed anything keeps its own result.
set -u
for attempt in 1 2 3; do
    # stderr joins stdout, as CTest would join them anyway; the reader passes everything on and
    # says by its exit code whether anything came at all.
    wine "$@" 2>&1 | LC_ALL=C bash -c 'IFS= read -r -d "" -n 1 first || exit 3; printf "%s" "$first"; exec cat'
    codes=("${PIPESTATUS[@]}")
    if [ "${codes[0]}" -eq 0 ] || [ "${codes[1]}" -ne 3 ] || [ "$attempt" -eq 3 ]; then
        exit "${codes[0]}"
    fi
    echo "wine-test: Wine ended $1 with exit code ${codes[0]} before it printed anything (start $attempt); starting it again" >&2
done
