# Shared steps of the build and test scripts: Debian packages, a private X display and a warm Wine
# prefix of our own. Source it; it stops what it started when the script exits.

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELMORA_PACKAGES=(cmake ninja-build g++ clang g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
    libclang-rt-14-dev googletest libbenchmark-dev
    wine wine64 fonts-wine xvfb xdotool imagemagick x11-utils iproute2 nsis fp-utils-3.2.2 msitools wixl)

# Every command the scripts and the build call, with the package that provides it (chmcmd is the
# alternatives link that fp-utils-3.2.2 sets up to its chmcmd-3.2.2). `require_commands` checks them
# after the install step, so a missing one is named at once instead of failing later.
declare -A VELMORA_COMMANDS=(
    [cmake]=cmake [ctest]=cmake [ninja]=ninja-build [g++]=g++ [clang++]=clang
    [x86_64-w64-mingw32-g++-posix]=g++-mingw-w64-x86-64-posix
    [x86_64-w64-mingw32-windres]=binutils-mingw-w64-x86-64
    [wine]=wine [wineserver]=wine [wineboot]=wine
    [Xvfb]=xvfb [xdpyinfo]=x11-utils [xdotool]=xdotool [import]=imagemagick [ip]=iproute2
    [makensis]=nsis [chmcmd]=fp-utils-3.2.2
    [wixl]=wixl [msiinfo]=msitools [msibuild]=msitools)

say() { printf '==> %s\n' "$*"; }

install_missing() {
    local missing=()
    for package in "${VELMORA_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The install step, then the check that every command is there.
install_and_check() {
    install_missing && require_commands
}

require_commands() {
    local missing=0
    for command in "${!VELMORA_COMMANDS[@]}"; do
        if ! command -v "$command" >/dev/null 2>&1; then
            echo "missing command: $command (Debian package ${VELMORA_COMMANDS[$command]})" >&2
            missing=1
        fi
    done
    [ "$missing" -eq 0 ] || { echo "install the packages named above and run this again" >&2; return 1; }
}

build_preset() {
    say "configure and build: $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)"
}

VELMORA_STARTED_PIDS=()
VELMORA_NETNS=""
stop_started() {
    if [ -n "$VELMORA_NETNS" ]; then
        ip netns del "$VELMORA_NETNS" 2>/dev/null || true
        VELMORA_NETNS=""
    fi
    if [ -n "${WINEPREFIX:-}" ] && command -v wineserver >/dev/null; then
        wineserver -k 2>/dev/null || true
    fi
    for pid in "${VELMORA_STARTED_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    VELMORA_STARTED_PIDS=()
}
trap stop_started EXIT

# A private Xvfb display. With "user", the user's own display is taken when there is one that
# answers; VELMORA_PRIVATE_DISPLAY says whether the private one was started.
start_display() {
    VELMORA_PRIVATE_DISPLAY=0
    if [ "${1:-}" = user ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    VELMORA_PRIVATE_DISPLAY=1
    local n=91
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VELMORA_STARTED_PIDS+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on $DISPLAY" >&2
    return 1
}

# Our own prefix, made once: Wine's fonts copied in, and windows that need no window manager.
start_wine() {
    export WINEPREFIX="$VELMORA_ROOT/build/wineprefix"
    export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    if [ ! -f "$WINEPREFIX/.velmora-ready-3" ]; then
        say "preparing the Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i >/dev/null 2>&1
        wineserver -w
        # Wine's own fonts (Tahoma, and Marlett for the title bar's buttons), from fonts-wine.
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        # The user's shell folders are links into the real home folder: make them folders of the
        # prefix, so nothing a test or the manager saves there (shortcuts, exports) leaves the build.
        for link in "$WINEPREFIX"/drive_c/users/*/*; do
            if [ -L "$link" ]; then
                rm "$link"
                mkdir -p "$link"
            fi
        done
        touch "$WINEPREFIX/.velmora-ready-3"
    fi
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1
}

# A test host of our own: a network namespace behind a veth pair, with a known MAC, so the probe
# tests can ping it, read its MAC from the ARP table and wait on a silent neighbour. No traffic
# leaves the machine. Where namespaces cannot be made, the tests that need them skip.
start_test_host() {
    command -v ip >/dev/null || return 0
    local n=$(($$ % 250 + 1))
    local ns="velmora-$$" host="vlm$$h" peer="vlm$$p"
    ip netns add "$ns" 2>/dev/null || return 0
    VELMORA_NETNS="$ns"
    if ip link add "$host" type veth peer name "$peer" 2>/dev/null &&
        ip link set "$peer" netns "$ns" &&
        ip addr add "10.213.$n.1/24" dev "$host" &&
        ip link set "$host" up &&
        ip netns exec "$ns" ip link set "$peer" address 02:56:4c:4d:00:02 &&
        ip netns exec "$ns" ip addr add "10.213.$n.2/24" dev "$peer" &&
        ip netns exec "$ns" ip link set "$peer" up; then
        export VELMORA_TEST_PEER_IP="10.213.$n.2" VELMORA_TEST_PEER_MAC=02564C4D0002
        export VELMORA_TEST_SILENT_IP="10.213.$n.3"
        VELMORA_TEST_PEER_DEV="$peer"
        say "test host $VELMORA_TEST_PEER_IP in network namespace $ns"
    else
        say "no test host: network namespaces are not available here"
    fi
}

# More addresses of the test host, 10.213.n.10 onwards (or from the host number given second), for the
# benchmarks that ping many computers; VELMORA_TEST_PEER_FIRST and VELMORA_TEST_PEER_COUNT name them.
add_test_host_addresses() {
    [ -n "$VELMORA_NETNS" ] && [ -n "${VELMORA_TEST_PEER_IP:-}" ] || return 0
    local prefix=${VELMORA_TEST_PEER_IP%.*} count=$1 first=${2:-10}
    for i in $(seq "$first" $((first + count - 1))); do
        ip netns exec "$VELMORA_NETNS" ip addr add "$prefix.$i/24" dev "$VELMORA_TEST_PEER_DEV" || return 0
    done
    export VELMORA_TEST_PEER_FIRST="$prefix.$first" VELMORA_TEST_PEER_COUNT="$count"
}
