#!/usr/bin/env bash
# Installs what is missing and builds the release: Velmora.exe, quenex.exe, the help file
# Velmora.chm, the installer build/mingw/velmora-3.3.1-setup.exe and the Windows Installer package
# build/mingw/velmora-3.3.1-x64.msi, which both pack all three.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$VELMORA_ROOT"
install_and_check
say "configure and build: the installers"
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target velmora_setup velmora_msi -j "$(nproc)"
for package in velmora-3.3.1-setup.exe velmora-3.3.1-x64.msi; do
    say "installer: $VELMORA_ROOT/build/mingw/$package ($(stat -c %s "$VELMORA_ROOT/build/mingw/$package") bytes)"
done
