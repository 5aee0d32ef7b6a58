# Shared set-up for end-to-end tests: a private Xvfb (optionally several monitors), openbox,
# private XDG folders, and clean-up of everything started. Source it; then call xsession_start.
set -euo pipefail

XS_PIDS=()
XS_WORK=$(mktemp -d /tmp/tessary-e2e.XXXXXX)
export XDG_RUNTIME_DIR=$XS_WORK/runtime XDG_CONFIG_HOME=$XS_WORK/config XDG_STATE_HOME=$XS_WORK/state
# A private home too: a keyring that D-Bus autolaunch finds in the caller's home would pop up an
# unlock prompt that takes the keyboard from the test.
export HOME=$XS_WORK/home XDG_DATA_HOME=$XS_WORK/data XDG_CACHE_HOME=$XS_WORK/cache
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export TESSARY_PLATFORM=x11 QT_QPA_PLATFORM=xcb

xsession_cleanup() {
    local pid
    for pid in "${XS_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${XS_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    if [ "${XS_KEEP:-0}" != 1 ]; then rm -rf "$XS_WORK"; fi
}
trap xsession_cleanup EXIT

# Runs a command in the background and remembers it for clean-up.
xsession_spawn() {
    "$@" &
    XS_PIDS+=($!)
}

# xsession_start WIDTHxHEIGHT: a fresh X server with openbox; sets DISPLAY.
xsession_start() {
    local size=${1:-1920x1080} n
    for _ in $(seq 20); do
        n=$((100 + RANDOM % 800))
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    xsession_spawn Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset
    export DISPLAY=":$n"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
    xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }
    xsession_spawn openbox --sm-disable
    sleep 0.3
}

# Puts an image on the root window's background (what an empty desktop shows).
xsession_set_root_image() {
    hsetroot -center "$1" >/dev/null
}

# Waits until a file exists and is not empty; fails after $2 seconds (default 15).
xsession_wait_for_file() {
    local file=$1 limit=${2:-15} i
    for i in $(seq $((limit * 10))); do
        [ -s "$file" ] && return 0
        sleep 0.1
    done
    echo "timed out waiting for $file" >&2
    return 1
}

# Waits until the clipboard offers image/png and writes it to a file; fails after 20 seconds.
xsession_read_clipboard_png() {
    local out=$1
    for _ in $(seq 100); do
        if xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx image/png; then
            xclip -selection clipboard -t image/png -o >"$out" 2>/dev/null || true
            [ -s "$out" ] && return 0
        fi
        sleep 0.2
    done
    return 1
}

# Number of differing pixels between two images (0 = identical).
xsession_pixel_difference() {
    /usr/bin/compare -metric AE "$1" "$2" null: 2>&1 || true
}
