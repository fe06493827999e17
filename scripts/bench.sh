#!/usr/bin/env bash
# Benchmarks: task file load and save (natively and under Wine), INI import, listing tasks, the computer list
# page, the executor's start-up against a program that does nothing, and the countdown's self-close time.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$VELMORA_ROOT"
install_and_check
build_preset linux
build_preset mingw
start_display
start_wine

say "task file, native"
build/linux/bench/task_file_bench
say "INI import beside very many other sections, native"
build/linux/bench/ini_bench
say "task file, Windows build under Wine"
wine build/mingw/bench/task_file_bench.exe

say "listing 50, 200 and 500 tasks from Wine's Task Scheduler"
wine build/mingw/bench/task_list_bench.exe

say "the manager with 50 and 500 tasks: the filled Tasks page, a refresh of every row, a new task through the wizard, idle"
wine build/mingw/bench/manager_bench.exe

say "the computer list: opened with 10000 computers, a refresh tick, a range of 5000 into 5000, a Ping batch"
start_test_host
add_test_host_addresses 100
wine build/mingw/bench/comp_list_bench.exe

work="$VELMORA_ROOT/build/bench"
mkdir -p "$work"
printf '[settings]\r\naction=11\r\nnoshow=1\r\n' >"$work/nothing.ini"
printf '[settings]\r\naction=5\r\nnoshow=0\r\ndelay=3\r\nlog file=count.log\r\n' >"$work/count.ini"
win() { echo "Z:$(sed 's#/#\\#g' <<<"$1")"; }
runs=${BENCH_RUNS:-30}
# Mean wall time in milliseconds of `runs` starts of a command.
mean_ms() {
    local start end
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do "$@" >/dev/null 2>&1 || true; done
    end=$(date +%s%N)
    echo $(((end - start) / runs / 1000000))
}
cd "$work"
plain=$(mean_ms wine "$VELMORA_ROOT/build/mingw/bench/trivial_program.exe")
window=$(mean_ms wine "$VELMORA_ROOT/build/mingw/bench/trivial_window_program.exe")
executor=$(mean_ms wine "$VELMORA_ROOT/build/mingw/executor/quenex.exe" "$(win "$work/nothing.ini")")
say "start-up under warm Wine, mean of $runs runs: quenex.exe on a task that does nothing ${executor} ms;"
say "a program that does nothing ${plain} ms, one that also loads the window library ${window} ms"
awk -v e="$executor" -v p="$plain" -v w="$window" \
    'BEGIN { printf "==> ratio %.2f against the graphical baseline, %.2f against the plain one\n", e / w, e / p }'
start=$(date +%s%N)
wine "$VELMORA_ROOT/build/mingw/executor/quenex.exe" "$(win "$work/count.ini")" || true
end=$(date +%s%N)
say "a countdown of 3 s closed itself after $(((end - start) / 1000000)) ms (process start to end)"
{
    printf '[settings]\r\naction=10\r\nnoshow=1\r\n[list]\r\n'
    for i in $(seq 0 999); do printf '%d=pc-%d,,,,001122AABBCC,,127.0.0.1,9\r\n' "$i" "$i"; done
} >"$work/wake.ini"
start=$(date +%s%N)
wine "$VELMORA_ROOT/build/mingw/executor/quenex.exe" "$(win "$work/wake.ini")" || true
end=$(date +%s%N)
total=$(((end - start) / 1000000))
say "Wake-on-LAN over 1000 entries: ${total} ms in all, of which 10000 ms are the pauses and ${executor} ms the start-up"
awk -v t="$total" -v s="$executor" 'BEGIN { printf "==> %.3f ms a packet beyond its 10 ms pause\n", (t - s - 10000) / 1000 }'

