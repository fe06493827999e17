#!/usr/bin/env bash
# Benchmarks: task file load and save (natively and under Wine), INI import, listing tasks, the computer list
# page and its batches (a Scan of a mostly silent /24 and a Ping batch, one at a time and with fast checks,
# Workgroups while the window paints), the executor's start-up against a program that does nothing, and the
# countdown's self-close time. It ends with one table of the headline figures and the machine they come from.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$VELMORA_ROOT"
install_and_check
build_preset linux
build_preset mingw
start_display
start_wine
results="$VELMORA_ROOT/build/bench/results"
rm -rf "$results"
mkdir -p "$results"
# Runs a benchmark, showing its output and keeping it for the table at the end.
keep() {
    local file=$1
    shift
    "$@" | tee "$results/$file"
}

say "task file, native"
keep task_file_native.txt build/linux/bench/task_file_bench
say "INI import beside very many other sections, native"
build/linux/bench/ini_bench
say "task file, Windows build under Wine"
keep task_file_wine.txt wine build/mingw/bench/task_file_bench.exe

say "listing 50, 200 and 500 tasks from Wine's Task Scheduler"
wine build/mingw/bench/task_list_bench.exe

say "the manager with 50 and 500 tasks: the filled Tasks page, a refresh of every row, a new task through the wizard, idle"
keep manager.txt wine build/mingw/bench/manager_bench.exe

start_test_host
# The Scan wants a /24 of which four addresses answer (.1, .2 and these two), the Ping batch many answering
# addresses: the computer list's measurements run in two parts.
say "the computer list: a Scan of 254 addresses of which 250 are silent, one at a time (a slice) and fast"
add_test_host_addresses 2
VELMORA_BENCH_PARTS=scan keep scan.txt wine build/mingw/bench/comp_list_bench.exe
say "the computer list: opened with 10000 computers, a refresh tick, a range of 5000 into 5000, a Ping batch"
say "over 100 answering addresses one at a time and fast, Workgroups resolving 50 names"
add_test_host_addresses 100 12
VELMORA_BENCH_PARTS="range ping workgroups" keep comp_list.txt wine build/mingw/bench/comp_list_bench.exe

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
packet=$(awk -v t="$total" -v s="$executor" 'BEGIN { printf "%.3f", (t - s - 10000) / 1000 }')
echo "==> $packet ms a packet beyond its 10 ms pause"

# The headline figures. A benchmark's time is the second and third field of its line; the computer
# list's own lines say more, and are cut where their figures stand.
bench_time() { awk -v n="$2" '$1 == n { print $2 " " $3; exit }' "$results/$1"; }
line_of() { grep -m1 "^$2" "$results/$1" || true; }
figure() { sed -E -n "s/$2/\1/p" <<<"$1" | head -n1; }
scan_slice=$(line_of scan.txt ScanSerialSlice)
scan_fast=$(line_of scan.txt ScanOf254Fast)
ping=$(line_of comp_list.txt 'PingBatch ')
ping_fast=$(line_of comp_list.txt PingBatchFast)
paint=$(line_of comp_list.txt Workgroups50Paint)
idle=$(sed -E -n 's/^idle with the watcher running: ([0-9.]+%).*/\1/p' "$results/manager.txt" | head -n1)
machine="$(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(nproc) cores, $(free -g | awk '/^Mem:/ { print $2 }') GB,"
machine="$machine $(uname -sr), $(wine --version)"
echo
say "headline figures, measured on: $machine"
{
    printf '| %s | %s |\n' "Figure" "Measured"
    printf '| %s | %s |\n' "---" "---"
    printf '| %s | %s |\n' "Scan of 254 addresses, 250 silent, one at a time (extrapolated from a slice)" \
        "$(figure "$scan_slice" '.*about ([0-9.]+ s).*')"
    printf '| %s | %s |\n' "the same Scan, 32 at once" "$(figure "$scan_fast" '^ScanOf254Fast +([0-9.]+ ms).*')"
    printf '| %s | %s |\n' "refresh tick while 32 workers write (mean, at most)" \
        "$(figure "$scan_fast" '.*refresh tick ([0-9.]+ ms mean, [0-9.]+ ms at most).*')"
    printf '| %s | %s |\n' "Ping batch of 100 answering addresses, one at a time" "$(figure "$ping" '^PingBatch +([0-9.]+ ms).*')"
    printf '| %s | %s |\n' "the same Ping batch, 32 at once" "$(figure "$ping_fast" '^PingBatchFast +([0-9.]+ ms).*')"
    printf '| %s | %s |\n' "Workgroups resolving 50 names: slowest answer to a paint while they resolve, in all" \
        "$(figure "$paint" '.*within ([0-9.]+ ms) at most while.*'), $(figure "$paint" '.*, ([0-9.]+ ms) at most in all.*')"
    printf '| %s | %s |\n' "manager: Tasks page filled with 500 tasks" "$(bench_time manager.txt BM_OpenTasksPage/500)"
    printf '| %s | %s |\n' "manager: refresh of 500 rows" "$(bench_time manager.txt BM_RefreshEveryRow/500)"
    printf '| %s | %s |\n' "manager idle with the executor watcher" "${idle:-?} of one core"
    printf '| %s | %s |\n' "executor start-up on a task that does nothing" "$executor ms"
    printf '| %s | %s |\n' "Wake-on-LAN, per packet beyond its 10 ms pause" "$packet ms"
    printf '| %s | %s |\n' "task file of 1000 computers: load, native / Wine" \
        "$(bench_time task_file_native.txt BM_Load/1000) / $(bench_time task_file_wine.txt BM_Load/1000)"
    printf '| %s | %s |\n' "task file of 1000 computers: save, native / Wine" \
        "$(bench_time task_file_native.txt BM_Save/1000) / $(bench_time task_file_wine.txt BM_Save/1000)"
} | tee "$results/headline.md"

