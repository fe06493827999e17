#!/usr/bin/env bash
# Runs the installer's tests in a throwaway copy of the test prefix, so nothing the installer, the
# uninstaller or "quenex -r" does reaches the shared prefix and its tasks.
# Usage: installer_test.sh <build folder> <installer_win_tests.exe> <velmora-3.3.1-setup.exe>
set -u
work="$1/installer-prefix.$$"
tests="$2"
setup="$3"
[ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ] || { echo "no test prefix: WINEPREFIX is not set" >&2; exit 1; }
rm -rf "$work"
cp -a "$WINEPREFIX" "$work" || exit 1
# Start from an empty task store: other tests may have left theirs in the shared prefix.
rm -f "$work"/drive_c/windows/[Tt]asks/*
cleanup() {
    WINEPREFIX="$work" wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work"
VELMORA_SETUP="Z:$(sed 's#/#\\#g' <<<"$setup")" WINEDEBUG=-all wine "$tests" "${@:4}"
