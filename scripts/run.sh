#!/usr/bin/env bash
# Installs what is missing, builds, puts a few example tasks into the Wine prefix's Task Scheduler
# and opens the manager, Velmora.exe, on them; then runs quenex.exe under Wine on the example task
# (examples/lock-in-ten-seconds.ini: a lock after a ten-second countdown) and prints the log the
# run stored. On a machine without a display both run on a private X server: screenshots of the
# manager's Tasks and Remote pages, of a remote task's computer list and of the countdown are
# saved, the manager is closed after them, and the countdown is left to end by itself.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$VELMORA_ROOT"
install_and_check
build_preset mingw
start_display user
start_wine

work="$VELMORA_ROOT/build/example"
mkdir -p "$work"
wine "$VELMORA_ROOT/build/mingw/examples/velmora-examples.exe"
manager="$VELMORA_ROOT/build/mingw/manager/Velmora.exe"
say "opening the manager $manager"
if [ "$VELMORA_PRIVATE_DISPLAY" = 1 ]; then
    wine "$manager" &
    velmora=$!
    sleep 5
    import -window root "$work/manager.png" && say "screenshot of the manager's Tasks page: $work/manager.png"
    # The Remote tab, then a double click on its first task opens its properties; their Remote tab
    # is the computer list. The places are the sheets' own (the tabs' row, the list's first row)
    # in the windows' client coordinates.
    sheet=$(xdotool search --name '^Velmora LT' | head -1 || true)
    if [ -n "$sheet" ] && xdotool mousemove --window "$sheet" 100 40 click 1; then
        sleep 2
        import -window root "$work/remote.png" && say "screenshot of the manager's Remote page: $work/remote.png"
        xdotool mousemove --window "$sheet" 60 118 click --repeat 2 1 || true
        sleep 3
        properties=$(xdotool search --name '^Task Properties$' | head -1 || true)
        if [ -n "$properties" ] && xdotool mousemove --window "$properties" 100 40 click 1; then
            sleep 2
            import -window root "$work/computers.png" &&
                say "screenshot of a remote task's computer list: $work/computers.png"
        fi
    fi
    kill "$velmora" 2>/dev/null || true
    wait "$velmora" 2>/dev/null || true
else
    wine "$manager" || true
fi
rm -f "$work/velmora-example.log"
example="Z:$(sed 's#/#\\#g' <<<"$VELMORA_ROOT/examples/lock-in-ten-seconds.ini")"
say "running quenex.exe on $example"
cd "$work"
set +e
if [ "$VELMORA_PRIVATE_DISPLAY" = 1 ]; then
    wine "$VELMORA_ROOT/build/mingw/executor/quenex.exe" "$example" >"$work/quenex-output.txt" &
    quenex=$!
    sleep 4
    import -window root "$work/countdown.png" && say "screenshot of the countdown: $work/countdown.png"
    wait "$quenex"
else
    wine "$VELMORA_ROOT/build/mingw/executor/quenex.exe" "$example" >"$work/quenex-output.txt"
fi
status=$?
set -e
say "quenex.exe ended with status $status (44 is the low byte of 300: the countdown ran out; 0: a button ended it)"
# A run with administrator rights (every run under Wine is one) writes its log only into a folder
# that no one else can change, and prints it when it may not write it.
if [ -f "$work/velmora-example.log" ]; then
    say "the log it stored in $work/velmora-example.log:"
    cat "$work/velmora-example.log"
else
    say "the log it printed (a run with administrator rights keeps no log in a folder others can change):"
    cat "$work/quenex-output.txt"
fi
echo
