#!/usr/bin/env bash
# Screen grabs, the window list and focus hand-back against a real X server: Xvfb with two RandR
# monitors side by side, openbox, a root window painted with a position-encoding pattern and a few
# probe windows. What the X tools report is handed to capture_x11_driver.
source "${TESSARY_TEST_HELPERS:?set by ctest}/xsession.sh"
build="${TESSARY_BUILD_DIR:?set by ctest}"

xsession_start 3840x1080
# Two monitors on the one screen (the server keeps them thanks to -noreset).
xrandr --setmonitor L 1920/508x1080/286+0+0 screen >/dev/null
xrandr --setmonitor R 1920/508x1080/286+1920+0 none >/dev/null
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
"$build/Tests/paint_root"

probe() { # NAME WIDTH HEIGHT [options]: prints the window id
    xsession_spawn "$build/Tests/probe_window" "$@" >/dev/null
    xdotool search --sync --classname "^$1\$" | head -n1
}
back=$(probe BackProbe 500 400)
xdotool windowmove --sync "$back" 100 100
right=$(probe RightProbe 400 300)
xdotool windowmove --sync "$right" 2200 150
nopid=$(probe NoPidProbe 200 150 nopid)
xdotool windowmove --sync "$nopid" 900 600
dock=$(probe DockProbe 800 30 dock)
faint=$(probe FaintProbe 200 200 opacity=0.005)
hidden=$(probe HiddenProbe 200 200)
xdotool windowminimize --sync "$hidden"
front=$(probe FrontProbe 300 200)
xdotool windowmove --sync "$front" 300 200
xdotool windowactivate --sync "$front"
xdotool mousemove --sync 700 500
sleep 0.3

# The frame is the window manager's top-level ancestor of the client, X border included.
root=$(xwininfo -root | awk '/Window id:/ {print $4}')
frame_of() {
    local w=$1 parent
    while :; do
        parent=$(xwininfo -children -id "$w" | awk '/Parent window id:/ {print $4}')
        [ "$((parent))" = "$((root))" ] && break
        w=$parent
    done
    xwininfo -id "$w" | awk '
        /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} /Border width:/ {b=$3}
        END {printf "%d,%d,%d,%d", x-b, y-b, w+2*b, h+2*b}'
}
frames=""
for pair in "BackProbe:$back" "RightProbe:$right" "NoPidProbe:$nopid" "FrontProbe:$front"; do
    frames+="${pair%%:*}=$(frame_of "${pair#*:}");"
done
covered="$(frame_of "$dock");$(frame_of "$faint");$(echo "$frames" | sed "s/[A-Za-z]*=//g")"
echo "frames measured: $frames"

export TESSARY_X11_FRAMES="$frames"
export TESSARY_X11_MONITORS="L,R"
export TESSARY_X11_COVERED="$covered"
export TESSARY_X11_POINTER="700,500"
export TESSARY_X11_ABSENT="DockProbe,FaintProbe,HiddenProbe"
export TESSARY_X11_ORDER="FrontProbe,NoPidProbe,RightProbe,BackProbe"
export TESSARY_X11_ACTIVE="$front" TESSARY_X11_OTHER="$back"
"$build/Tests/capture_x11_driver" 2>"$XS_WORK/driver.log" | tee "$XS_WORK/out.txt"
ok=$(grep -c '^\[       OK \]' "$XS_WORK/out.txt" || true)
if [ "$ok" -ne 3 ]; then
    cat "$XS_WORK/driver.log" >&2
    echo "capture_x11: expected 3 passing checks, got $ok" >&2
    exit 1
fi

# At a Qt scale factor of 2 the same monitors are 960 x 540 points and still grabbed at full resolution.
QT_SCALE_FACTOR=2 "$build/Tests/capture_x11_driver" --gtest_filter='*Grab*' 2>"$XS_WORK/driver2.log" |
    tee "$XS_WORK/out2.txt"
if [ "$(grep -c '^\[       OK \]' "$XS_WORK/out2.txt" || true)" -ne 1 ]; then
    cat "$XS_WORK/driver2.log" >&2
    echo "capture_x11: the grab check failed at scale 2" >&2
    exit 1
fi
