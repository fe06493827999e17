#!/usr/bin/env bash
# Runs an installer's tests in a throwaway copy of the test prefix, so nothing the installer, the
# uninstaller or "quenex -r" does reaches the shared prefix and its tasks.
# Usage: installer_test.sh <build folder> <tests.exe> NAME=<file>...
# Each NAME reaches the tests as an environment variable holding the file's Windows path.
set -u
work="$1/installer-prefix.$$"
tests="$2"
shift 2
[ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ] || { echo "no test prefix: WINEPREFIX is not set" >&2; exit 1; }
rm -rf "$work"
cleanup() {
    WINEPREFIX="$work" wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work" || exit 1
# The shared prefix is live: the copy starts from an empty task store (other tests may have left
# theirs there), and a file that vanishes or changes while it is read (the Wine server writes the
# registry) is no error. tar ends with 1 for those and with 2 for a real fault.
tar -C "$WINEPREFIX" --exclude='./drive_c/windows/[Tt]asks/*' --ignore-failed-read \
    --warning=no-file-changed --warning=no-file-removed -cf - . | tar -C "$work" -xf -
status=("${PIPESTATUS[@]}")
[ "${status[0]}" -le 1 ] && [ "${status[1]}" -eq 0 ] || { echo "copying the test prefix failed" >&2; exit 1; }
export WINEPREFIX="$work"
for file in "$@"; do
    export "${file%%=*}=Z:$(sed 's#/#\\#g' <<<"${file#*=}")"
done
WINEDEBUG=-all wine "$tests"
