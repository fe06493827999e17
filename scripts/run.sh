#!/usr/bin/env bash
# Installs what is missing, builds the native and the Windows programs, and runs the main job: for
# now the task-file benchmark, natively and under Wine, until the executor lands.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$VELMORA_ROOT"
install_missing
build_preset linux
build_preset mingw
start_display
start_wine
say "task file load and save, native"
build/linux/bench/task_file_bench
say "task file load and save, Windows build under Wine"
wine build/mingw/bench/task_file_bench.exe
