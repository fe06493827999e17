#!/usr/bin/env bash
# Installs what is missing and builds the release: Velmora.exe, quenex.exe, the help file
# Velmora.chm and the installer build/mingw/velmora-3.3.1-setup.exe, which packs all three.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$VELMORA_ROOT"
install_and_check
say "configure and build: the installer"
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target velmora_setup -j "$(nproc)"
setup="$VELMORA_ROOT/build/mingw/velmora-3.3.1-setup.exe"
say "installer: $setup ($(stat -c %s "$setup") bytes)"
