#!/usr/bin/env bash
# The capture overlay under real X input: keyboard and pointer grabs, a click snapping to a window
# framed by openbox, a free drag, Escape and the right button, and focus going back afterwards.
source "$(dirname "$0")/lib/xsession.sh"
tessary=$1
build=${TESSARY_BUILD_DIR:?TESSARY_BUILD_DIR is not set}
xsession_start 1920x1080
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done

backdrop=$XS_WORK/backdrop.png
/usr/bin/convert -size 1920x1080 xc:'#30506a' +noise Uniform -depth 8 PNG24:"$backdrop"
xsession_set_root_image "$backdrop"

xsession_spawn "$build/Tests/probe_window" SnapProbe 500 400 >/dev/null
probe=$(xdotool search --sync --classname '^SnapProbe$' | head -n1)
xdotool windowmove --sync "$probe" 300 200
sleep 0.3
root=$(xwininfo -root | awk '/Window id:/ {print $4}')
frame=$probe
while :; do
    parent=$(xwininfo -children -id "$frame" | awk '/Parent window id:/ {print $4}')
    [ "$((parent))" = "$((root))" ] && break
    frame=$parent
done
frame_size=$(xwininfo -id "$frame" | awk '/Width:/ {w=$2} /Height:/ {h=$2} /Border width:/ {b=$3}
    END {printf "%dx%d", w+2*b, h+2*b}')
echo "probe frame: $frame_size"

log=$XDG_STATE_HOME/tessary/tessary.log
xsession_spawn "$tessary"
for _ in $(seq 100); do [ -s "$log" ] && break; sleep 0.1; done
sleep 0.5

fail() { echo "FAIL: $*"; tail -n 30 "$log"; exit 1; }
lines() { grep -c -F -- "$1" "$log" || true; }
wait_lines() { # TEXT COUNT
    for _ in $(seq 100); do [ "$(lines "$1")" -ge "$2" ] && return 0; sleep 0.1; done
    fail "never logged ($2×): $1"
}
overlay_visible() { xdotool search --onlyvisible --name '^Tessary$' >/dev/null 2>&1; }
captures=0
capture() {
    captures=$((captures + 1))
    "$tessary" --capture-now || fail "forwarding the capture request"
    wait_lines "性能：截图请求到覆盖层显示" "$captures"
    for _ in $(seq 50); do overlay_visible && break; sleep 0.05; done
    sleep 0.3
}
expect_gone() {
    for _ in $(seq 50); do overlay_visible || return 0; sleep 0.05; done
    fail "overlay still mapped after $1"
}

# A click on the window takes its frame; Return copies it.
xdotool windowactivate --sync "$probe"
capture
xdotool mousemove --sync 550 400 click 1
sleep 0.2
xdotool key Return
wait_lines "完成：已裁剪 $frame_size 像素，写剪贴板成功。" 1
expect_gone Return
[ "$(xdotool getactivewindow)" = "$probe" ] || fail "focus did not go back to the probe window"

# A free drag on the desktop.
capture
xdotool mousemove --sync 100 700 mousedown 1 mousemove --sync 250 800 mousemove --sync 400 900 mouseup 1
sleep 0.2
xdotool key Return
wait_lines "完成：已裁剪 300x200 像素，写剪贴板成功。" 1
expect_gone "a drag and Return"

# Escape, even while the pointer rests on another window, and the right button.
capture
xdotool mousemove --sync 550 400 key Escape
expect_gone Escape
capture
xdotool click 3
wait_lines "截图：鼠标右键取消。" 1
expect_gone "the right button"
echo "PASS"
