#!/usr/bin/env bash
# Takes the help file's pictures from the Windows build under Wine on a private display: the Tasks
# page with the example tasks, the new-task wizard's pages and the countdown. Run it by hand after a
# build of the mingw preset when the windows change; the PNGs are kept small (8-bit palette).
set -euo pipefail
source "$(dirname "$0")/../../scripts/common.sh"
cd "$VELMORA_ROOT"
start_display
start_wine
out="$VELMORA_ROOT/packaging/help/images"
mkdir -p "$out"
build="$VELMORA_ROOT/build/mingw"

shoot() { # window title, file
    local id
    for _ in $(seq 50); do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | tail -1) && [ -n "$id" ] && break
        sleep 0.2
    done
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; return 1; }
    sleep 1
    import -window "$id" -colors 256 "PNG8:$out/$2"
    say "took $2"
}

wine "$build/examples/velmora-examples.exe" >/dev/null
wine "$build/manager/Velmora.exe" &
manager=$!
shoot "Velmora LT 3.3.1" tasks-page.png
xdotool search --name "^Velmora LT 3.3.1\$" windowactivate --sync 2>/dev/null || true
xdotool key Insert
sleep 2
wizard=$(xdotool search --name "^Task\$" | tail -1)
# A popup with a comment and a message: the action list takes the first letter, the rest is typed.
xdotool key p Tab
xdotool type --delay 20 "Evening reminder"
xdotool mousemove --window "$wizard" 250 230 click 1
xdotool type --delay 20 "Time to go home. Save your work."
shoot "Task" wizard-task.png
xdotool key alt+n
shoot "Schedule" wizard-schedule.png
# The Next button, by its place in the wizard.
xdotool mousemove --window "$wizard" 380 442 click 1
shoot "Finish" wizard-finish.png || true
xdotool key Escape
sleep 1
kill "$manager" 2>/dev/null || true
wait "$manager" 2>/dev/null || true

ini="$VELMORA_ROOT/build/example/help-countdown.ini"
mkdir -p "$(dirname "$ini")"
printf '[settings]\r\naction=9\r\ncomment=Help picture\r\ncancel=1\r\ndelay=30\r\nmessage=Time to go home.\\nSave your work.\r\n' >"$ini"
wine "$build/executor/quenex.exe" "Z:$(sed 's#/#\\#g' <<<"$ini")" &
quenex=$!
shoot "Velmora" countdown.png || true
kill "$quenex" 2>/dev/null || true
wait "$quenex" 2>/dev/null || true
