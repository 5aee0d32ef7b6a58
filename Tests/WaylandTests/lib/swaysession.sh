# A headless sway session with the desktop portals, for Tessary's Wayland tests. Sourced by the
# inner half of a test, which already runs as an unprivileged user inside a private D-Bus session.
set -euo pipefail

SW_PIDS=()
sway_cleanup() {
    for ((i = ${#SW_PIDS[@]} - 1; i >= 0; i--)); do kill "${SW_PIDS[$i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap sway_cleanup EXIT

# sway_start WORK CONFIG: starts sway on the headless back end, waits for its sockets.
sway_start() {
    local work=$1 config=$2
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$config" >"$work/sway.log" 2>&1 &
    SW_PIDS+=($!)
    for _ in $(seq 100); do
        SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n1 || true)
        if [ -n "$SWAYSOCK" ] && [ -S "$XDG_RUNTIME_DIR/wayland-1" ] && swaymsg -s "$SWAYSOCK" -t get_version >/dev/null 2>&1; then
            export SWAYSOCK WAYLAND_DISPLAY=wayland-1 XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway
            return 0
        fi
        sleep 0.1
    done
    echo "sway did not start"; cat "$work/sway.log"; return 1
}

# sway_start_portals WORK: pipewire with its session manager (which links a screen-cast stream to
# its consumer), the wlroots back end and the portal front end.
sway_start_portals() {
    local work=$1
    dbus-update-activation-environment WAYLAND_DISPLAY XDG_RUNTIME_DIR XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
    pipewire >"$work/pipewire.log" 2>&1 &
    SW_PIDS+=($!)
    sleep 0.3
    wireplumber >"$work/wireplumber.log" 2>&1 &
    SW_PIDS+=($!)
    sleep 0.3
    /usr/libexec/xdg-desktop-portal-wlr >"$work/portal-wlr.log" 2>&1 &
    SW_PIDS+=($!)
    /usr/libexec/xdg-desktop-portal -r >"$work/portal.log" 2>&1 &
    SW_PIDS+=($!)
    for _ in $(seq 150); do
        if gdbus introspect --session -d org.freedesktop.portal.Desktop -o /org/freedesktop/portal/desktop 2>/dev/null |
            grep -q 'org.freedesktop.portal.Screenshot'; then
            return 0
        fi
        sleep 0.1
    done
    echo "the Screenshot portal never appeared"; cat "$work"/portal*.log; return 1
}

sway_wait_for_file() {
    local file=$1 seconds=$2
    for _ in $(seq $((seconds * 10))); do [ -s "$file" ] && return 0; sleep 0.1; done
    return 1
}

sway_pixel_difference() {
    compare -metric AE "$1" "$2" null: 2>&1 || true
}

# Tessary's overlay windows per output name, from sway's tree.
sway_overlays_per_output() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node, output, out):
    if node.get("type") == "output":
        output = node["name"]
    if node.get("name") == "Tessary" and node.get("type") in ("con", "floating_con") and node.get("pid"):
        out.append(output)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child, output, out)
    return out
found = walk(json.load(sys.stdin), None, [])
print(" ".join(sorted(found)))'
}
