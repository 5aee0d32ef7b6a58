#!/usr/bin/env bash
# Captures on a real headless sway. Through a ScreenCast portal's PipeWire streams: the saved crop
# and the Wayland clipboard hold exactly the selected pixels, the second session is restored
# without asking, and each of two outputs of different scale gets its own overlay and an exact
# crop. Through the desktop's Screenshot portal where no stream can run (the wlroots back end
# cannot cast without a GPU, or TESSARY_WAYLAND_SCREENCAST=0): the crop is exact too. A missing,
# refusing or silent portal ends in a notice with nothing captured. sway refuses to run as root,
# so under root the session runs as a test user.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" != --inner ]; then
    tessary=$1
    build=${TESSARY_BUILD_DIR:-$(cd "$(dirname "$tessary")/../.." && pwd)}
    work=$(mktemp -d /tmp/tessary-wayland.XXXXXX)
    trap '[ -n "${TESSARY_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
    # The build tree may sit under a folder the test user cannot enter: everything the session
    # runs is copied out of it.
    mkdir -p "$work/bin"
    cp "$(dirname "$tessary")"/tessary "$(dirname "$tessary")"/tessary-app "$work/bin/"
    cp "$build/Tests/fake_screenshot_portal" "$build/Tests/fake_screencast_portal" "$work/bin/"
    cp -r "$here/lib" "$here/capture_wayland.sh" "$work/"
    if [ "$(id -u)" -eq 0 ]; then
        user=tessary-wayland
        id "$user" >/dev/null 2>&1 || useradd -m -s /bin/bash "$user"
        chown -R "$user:" "$work"
        chmod 755 "$work"
        status=0
        runuser -u "$user" -- env -i HOME="$(getent passwd "$user" | cut -d: -f6)" USER="$user" \
            PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 \
            dbus-run-session -- bash "$work/capture_wayland.sh" --inner "$work" || status=$?
        exit $status
    fi
    exec dbus-run-session -- bash "$work/capture_wayland.sh" --inner "$work"
fi

work=$2
bin=$work/bin
source "$work/lib/swaysession.sh"
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache
export QT_QPA_PLATFORM=wayland
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"

backdrop=$work/backdrop.png
convert -size 1920x1080 xc:'#204060' -fill '#e63946' -draw 'rectangle 100,100 699,399' \
    -fill '#f1faee' -draw 'circle 960,540 960,740' -fill '#a8dadc' -draw 'rectangle 1500,800 1899,1059' \
    +noise Uniform -depth 8 PNG24:"$backdrop"
backdrop2=$work/backdrop2.png
convert -size 1280x720 xc:'#406020' -fill '#1d3557' -draw 'rectangle 50,50 900,600' \
    +noise Uniform -depth 8 PNG24:"$backdrop2"
cat >"$work/sway.cfg" <<CFG
output HEADLESS-1 mode 1920x1080 position 0 0 scale 1 bg $backdrop center
default_border none
CFG
# The screen-cast back end shares the first output without a chooser (a user picks one once).
mkdir -p "$XDG_CONFIG_HOME/xdg-desktop-portal-wlr"
printf '[screencast]\nchooser_type=none\noutput_name=HEADLESS-1\n' >"$XDG_CONFIG_HOME/xdg-desktop-portal-wlr/config"
sway_start "$work" "$work/sway.cfg"
sway_start_portals "$work"

# The output shows the backdrop pixel for pixel before anything is captured.
for _ in $(seq 50); do
    grim "$work/screen.png" 2>/dev/null && [ "$(sway_pixel_difference "$work/screen.png" "$backdrop")" = 0 ] && break
    sleep 0.1
done
[ "$(sway_pixel_difference "$work/screen.png" "$backdrop")" = 0 ] || { echo "backdrop not on screen"; exit 1; }

log=$work/state/tessary/tessary.log
fail() { echo "FAIL: $*"; for f in "$work"/*.log "$log"; do [ -f "$f" ] && { echo "== $f"; tail -n 40 "$f"; }; done; exit 1; }

# A bus of our own where a ScreenCast portal streams the compositor's outputs over the session's
# PipeWire; on it nothing offers the Screenshot portal, so a capture can only come from the streams.
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:dir=$work</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/bus.address" &
SW_PIDS+=($!)
for _ in $(seq 50); do [ -s "$work/bus.address" ] && break; sleep 0.1; done
castbus=$(head -n1 "$work/bus.address")
cast=
# start_cast_portal [PRESS_MS]: with PRESS_MS, the portal also binds global shortcuts and presses
# the bound one that long after binding it.
start_cast_portal() {
    [ -z "$cast" ] || { kill "$cast"; wait "$cast" 2>/dev/null || true; }
    local outputs
    outputs=$(swaymsg -t get_outputs | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    r = o["rect"]
    print("%s:%d,%d,%d,%d:%d" % (o["name"], r["x"], r["y"], r["width"], r["height"], round(o["scale"])))')
    : >"$work/cast-portal.log"
    DBUS_SESSION_BUS_ADDRESS=$castbus FAKE_SHORTCUT_PRESS_MS=${1:-0} "$bin/fake_screencast_portal" $outputs \
        >>"$work/cast-portal.log" 2>&1 &
    cast=$!
    SW_PIDS+=($cast)
    for _ in $(seq 50); do grep -q '^ready' "$work/cast-portal.log" && break; sleep 0.1; done
}
start_cast_portal

# Save: x=300 y=180 w=640 h=360 in y-up points → columns 300…939, rows 540…899.
expected=$work/expected.png
convert "$backdrop" -crop 640x360+300+540 +repage PNG24:"$expected"
saved=$work/saved.png
DBUS_SESSION_BUS_ADDRESS=$castbus "$bin/tessary" --capture-now --dev-demo-selection \
    --dev-selection-rect=300,180,640,360 --dev-auto-action=save --dev-save-to="$saved" >"$work/app.log" 2>&1 &
app=$!
SW_PIDS+=($app)
sway_wait_for_file "$saved" 30 || fail "nothing saved"
sleep 0.3
diff=$(sway_pixel_difference "$saved" "$expected")
echo "saved crop (stream): $(identify -format '%wx%h' "$saved"), differing pixels: $diff"
[ "$diff" = 0 ] || fail "saved crop differs"
grep -q '性能：屏幕录制流取帧' "$work/app.log" || fail "the capture did not come from the stream"
grep -q 'select sources: types=1 multiple=1 cursor_mode=1 persist_mode=2 asked the user' "$work/cast-portal.log" ||
    fail "the first session did not ask for persistent monitor streams without the pointer"
sleep 1
kill -0 "$app" 2>/dev/null || { wait "$app"; fail "the resident instance exited ($?)"; }
grep -q '热键=由桌面处理' "$work/app.log" || fail "startup line does not say the desktop handles the hot key"
grep -q '窗口列表：Wayland 不向应用提供其他窗口' "$work/app.log" || fail "no window-list line"

# Confirm hands the same pixels to the Wayland clipboard; the resident process keeps them.
# Scripted runs (--dev-*) always start an instance of their own: one at a time. Return pressed on
# a virtual keyboard confirms: a compositor takes a selection only from the focused client with
# a serial from recent input, which is what a user's key press gives.
kill "$app" && wait "$app" 2>/dev/null || true
DBUS_SESSION_BUS_ADDRESS=$castbus "$bin/tessary" --capture-now --dev-demo-selection \
    --dev-selection-rect=300,180,640,360 >"$work/confirm.log" 2>&1 &
app=$!
SW_PIDS+=($app)
for _ in $(seq 100); do grep -q '覆盖层显示' "$work/confirm.log" && break; sleep 0.1; done
# Each wtype creates a virtual keyboard with a keymap of its own; a key it sends at once is mostly
# lost (here 1 of 6 reached the focused overlay), the same key 300 ms after the keyboard appeared
# always lands (6 of 6): wtype pauses between creating the keyboard and pressing the key.
wtype -s 300 -k Return
for _ in $(seq 100); do grep -q '写剪贴板' "$work/confirm.log" && break; sleep 0.1; done
grep -q '写剪贴板成功' "$work/confirm.log" || fail "Return did not confirm"
sleep 0.5
clip=$work/clip.png
timeout 10 wl-paste --no-newline -t image/png >"$clip" 2>"$work/paste.log" || true
[ -s "$clip" ] || fail "the clipboard holds no image/png ($(wl-paste --list-types 2>&1 | tr '\n' ' '))"
diff=$(sway_pixel_difference "$clip" "$expected")
echo "clipboard crop: $(identify -format '%wx%h' "$clip"), differing pixels: $diff"
[ "$diff" = 0 ] || fail "clipboard crop differs"
# The bytes pasted are the encoder's own (the same encoder writes saved files), not a re-encode.
cmp -s "$clip" "$saved" || fail "the clipboard PNG is not the encoder's"
# The second session came back with the stored token: the user was not asked again.
grep -q 'persist_mode=2 restored' "$work/cast-portal.log" || fail "the second session asked the user again"

# Where no stream can run, the Screenshot portal gives the same pixels: on the desktop's own bus,
# whose wlroots back end cannot cast here, and with the streams switched off.
for mode in fallback off; do
    kill "$app" && wait "$app" 2>/dev/null || true
    out=$work/saved-$mode.png
    TESSARY_WAYLAND_SCREENCAST=$([ $mode = off ] && echo 0 || echo 1) "$bin/tessary" --capture-now \
        --dev-demo-selection --dev-selection-rect=300,180,640,360 --dev-auto-action=save \
        --dev-save-to="$out" >"$work/$mode.log" 2>&1 &
    app=$!
    SW_PIDS+=($app)
    sway_wait_for_file "$out" 30 || fail "$mode: nothing saved"
    sleep 0.3
    diff=$(sway_pixel_difference "$out" "$expected")
    echo "saved crop (Screenshot portal, stream $mode): differing pixels: $diff"
    [ "$diff" = 0 ] || fail "$mode: saved crop differs"
    grep -q '性能：截图门户' "$work/$mode.log" || fail "$mode: the capture did not come from the Screenshot portal"
done
grep -q '屏幕录制：开始录制 .*改用截图门户' "$work/fallback.log" || fail "fallback: no line saying why"
! grep -q '屏幕录制：' "$work/off.log" || fail "off: a stream was started"

# Scrolling capture reads its frames from the stream: on a still backdrop every frame is the same
# and the long image is the region itself. sway tiles the capture's frame window over the output,
# so its outline and handles land in the frames' outer 8 pixels: the inside is compared.
kill "$app" && wait "$app" 2>/dev/null || true
long=$work/long.png
DBUS_SESSION_BUS_ADDRESS=$castbus "$bin/tessary" --capture-now --dev-demo-selection \
    --dev-selection-rect=300,180,640,360 --dev-auto-action=scroll --dev-scroll-duration=2 \
    --dev-scroll-out="$long" >"$work/scroll.log" 2>&1 &
app=$!
SW_PIDS+=($app)
sway_wait_for_file "$long" 40 || fail "scroll: nothing delivered"
sleep 0.3
convert "$long" -shave 8x8 +repage PNG24:"$work/long-inside.png"
convert "$expected" -shave 8x8 +repage PNG24:"$work/expected-inside.png"
diff=$(sway_pixel_difference "$work/long-inside.png" "$work/expected-inside.png")
echo "scrolling capture (stream): $(identify -format '%wx%h' "$long"), differing pixels inside the outline: $diff"
[ "$diff" = 0 ] || fail "scroll: the long image is not the region"
grep -q '滚动截图：完成，1 段' "$work/scroll.log" || fail "scroll: not one segment"
! grep -q '滚动截图：抓帧失败' "$work/scroll.log" || fail "scroll: a frame grab failed"
# Without a stream the capture stops at once and says why, delivering nothing.
kill "$app" && wait "$app" 2>/dev/null || true
TESSARY_WAYLAND_SCREENCAST=0 "$bin/tessary" --capture-now --dev-demo-selection \
    --dev-selection-rect=300,180,640,360 --dev-auto-action=scroll --dev-scroll-duration=2 \
    --dev-scroll-out="$work/long-refused.png" >"$work/scroll-refused.log" 2>&1 &
app=$!
SW_PIDS+=($app)
for _ in $(seq 300); do grep -q '提示：Scrolling capture needs a screen-cast stream' "$work/scroll-refused.log" && break; sleep 0.1; done
grep -q '提示：Scrolling capture needs a screen-cast stream' "$work/scroll-refused.log" || fail "scroll refused: no notice"
sleep 3
[ ! -e "$work/long-refused.png" ] || fail "scroll refused: something was delivered"
[ "$(grep -c '滚动截图：抓帧失败' "$work/scroll-refused.log")" = 1 ] || fail "scroll refused: grabs went on after the refusal"
echo "scrolling capture without a stream: $(grep '提示：Scrolling' "$work/scroll-refused.log" | head -n1 | cut -d' ' -f3-)"

# The capture shortcut bound through a GlobalShortcuts portal: its Activated signal captures.
kill "$app" && wait "$app" 2>/dev/null || true
start_cast_portal 4000
DBUS_SESSION_BUS_ADDRESS=$castbus "$bin/tessary" >"$work/shortcut.log" 2>&1 &
app=$!
SW_PIDS+=($app)
for _ in $(seq 200); do grep -q '覆盖层显示' "$work/shortcut.log" && break; sleep 0.1; done
grep -q '覆盖层显示' "$work/shortcut.log" || fail "shortcut: no capture on Activated"
grep -q 'bind shortcut: capture CTRL+ALT+a' "$work/cast-portal.log" || fail "shortcut: not bound as CTRL+ALT+a"
grep -q '热键：已通过全局快捷键门户绑定 CTRL+ALT+a' "$work/shortcut.log" || fail "shortcut: no binding line"
grep -q '热键=⌃⌥A' "$work/shortcut.log" || fail "shortcut: the startup line does not name the shortcut"
echo "global shortcut: $(grep '热键：已通过' "$work/shortcut.log" | cut -d' ' -f3-); $(grep -c '^activated' "$work/cast-portal.log") press, overlay shown"
wtype -s 300 -k Escape

# Two outputs of different scale, one stream each: every output's own pixels, exact at either
# scale. The first scripted selection lands on the first output; the scales are then swapped so
# each scale is checked while the other output is up too.
convert -size 48x48 xc:'#e63946' xc:'#1d3557' +append \( +clone -flop \) -append "$work/tile.png"
blocks=$work/blocks.png
convert -size 1920x1080 tile:"$work/tile.png" PNG24:"$blocks"
swaymsg output HEADLESS-1 bg "$blocks" center >/dev/null
swaymsg create_output >/dev/null
swaymsg output HEADLESS-2 mode 1280x720 position 1920 0 scale 2 bg "$backdrop2" center >/dev/null
check_two_outputs() {
    local name=$1 rect=$2 fuzz=$3
    # swaybg redraws after an output change; until then the output shows sway's plain grey.
    for _ in $(seq 100); do
        sleep 0.2
        grim -o HEADLESS-1 "$work/$name-truth.png"
        [ "$(identify -format '%k' "$work/$name-truth.png")" -gt 1 ] && break
    done
    sleep 0.5
    grim -o HEADLESS-1 "$work/$name-truth.png"
    local out=$work/$name.png
    kill "$app" && wait "$app" 2>/dev/null || true
    start_cast_portal
    DBUS_SESSION_BUS_ADDRESS=$castbus "$bin/tessary" --capture-now --dev-demo-selection --dev-selection-rect="$rect" \
        --dev-auto-action=save --dev-save-to="$out" >"$work/$name.log" 2>&1 &
    app=$!
    SW_PIDS+=($app)
    for _ in $(seq 100); do grep -q '覆盖层显示' "$work/$name.log" && break; sleep 0.1; done
    sleep 0.5
    local overlays
    overlays=$(sway_overlays_per_output)
    echo "$name: overlays on outputs: $overlays"
    [ "$overlays" = "HEADLESS-1 HEADLESS-2" ] || fail "$name: expected one overlay on each output"
    sway_wait_for_file "$out" 20 || fail "$name: nothing saved"
    sleep 0.3
    local scale w h
    scale=$(swaymsg -t get_outputs | python3 -c 'import json,sys; print([o for o in json.load(sys.stdin) if o["name"]=="HEADLESS-1"][0]["scale"])')
    IFS=, read -r x y w h <<<"$rect"
    local px py pw ph height
    height=$(identify -format '%h' "$work/$name-truth.png")
    px=$(python3 -c "print(int($x*$scale))"); pw=$(python3 -c "print(int($w*$scale))")
    ph=$(python3 -c "print(int($h*$scale))"); py=$(python3 -c "print($height-int(($y+$h)*$scale))")
    convert "$work/$name-truth.png" -crop "${pw}x${ph}+${px}+${py}" +repage PNG24:"$work/$name-expected.png"
    local d
    d=$(compare -fuzz "$fuzz" -metric AE "$out" "$work/$name-expected.png" null: 2>&1 || true)
    echo "$name: HEADLESS-1 at scale $scale, crop $(identify -format '%wx%h' "$out"), pixels differing by more than $fuzz: $d"
    [ "$d" = 0 ] || fail "$name: crop differs"
    grep -q '屏幕录制：2 路流，覆盖屏幕 HEADLESS-1,HEADLESS-2' "$work/$name.log" || fail "$name: not one stream per output"
    grep -q '性能：屏幕录制流取帧 .*（2 块屏幕）' "$work/$name.log" || fail "$name: the capture did not come from the streams"
}
check_two_outputs scale1 300,180,640,360 0
swaymsg output HEADLESS-1 scale 2 >/dev/null
swaymsg output HEADLESS-2 scale 1 position 960 0 >/dev/null
check_two_outputs scale2 150,90,320,180 0
grep '性能：' "$log" | grep -E '截图门户|屏幕录制流|覆盖层显示' | tail -n 12

# Pin: an ordinary top-level window (Wayland lets no client keep itself on top or choose where it
# goes); sway decides where it lands, shown here for the record.
kill "$app" && wait "$app" 2>/dev/null || true
"$bin/tessary" --capture-now --dev-demo-selection --dev-selection-rect=300,180,640,360 \
    --dev-auto-action=pin >"$work/pin.log" 2>&1 &
app=$!
SW_PIDS+=($app)
for _ in $(seq 150); do grep -q '贴图：' "$work/pin.log" && break; sleep 0.1; done
grep -q '贴图：' "$work/pin.log" || fail "nothing pinned"
sleep 1
swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node, output):
    if node.get("type") == "output":
        output = node["name"]
    if node.get("pid") and node.get("type") in ("con", "floating_con"):
        r = node["rect"]
        print("pinned window: %s on %s, %s, %dx%d at %d,%d" % (node.get("name"), output, node["type"], r["width"], r["height"], r["x"], r["y"]))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child, output)
walk(json.load(sys.stdin), None)' | tee "$work/pinned.txt"
[ -s "$work/pinned.txt" ] || fail "the pinned window is not on screen"

# Refusals, on our own bus without any portal, where none can be started on demand.
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
kill "$cast" && wait "$cast" 2>/dev/null || true
export DBUS_SESSION_BUS_ADDRESS=$castbus
refuse() {
    local name=$1 pattern=$2 notice=$3 wait=$4
    local out=$work/refused-$name.png rlog=$work/refused-$name.log
    "$bin/tessary" --capture-now --dev-demo-selection --dev-selection-rect=10,10,100,100 \
        --dev-auto-action=save --dev-save-to="$out" >"$rlog" 2>&1 &
    local pid=$!
    for _ in $(seq $((wait * 10))); do grep -q "提示：.*$notice" "$rlog" && break; sleep 0.1; done
    sleep 3.5 # longer than a scripted action waits before it runs
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    grep -q "$pattern" "$rlog" || fail "$name: no log line '$pattern'"
    grep -q "提示：.*$notice" "$rlog" || fail "$name: no notice"
    ! grep -q '性能：截图请求到覆盖层显示' "$rlog" || fail "$name: an overlay was shown"
    [ ! -e "$out" ] || fail "$name: a file was saved"
    echo "$name: $(grep "提示：.*$notice" "$rlog" | head -n1 | cut -d' ' -f3-)"
}
refuse missing '抓屏失败：.*org.freedesktop.portal.Screenshot' 'no screenshot portal' 10
"$bin/fake_screenshot_portal" deny >"$work/fake-deny.log" 2>&1 &
fake=$!
SW_PIDS+=($fake)
sleep 0.5
refuse denied '截图门户：请求被拒绝或取消' 'refused the screenshot' 10
kill "$fake"
"$bin/fake_screenshot_portal" silent >"$work/fake-silent.log" 2>&1 &
SW_PIDS+=($!)
sleep 0.5
refuse silent '截图门户：20 秒内没有回应' 'did not answer within 20 seconds' 30
echo PASS
