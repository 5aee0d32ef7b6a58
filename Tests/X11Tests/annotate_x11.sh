#!/usr/bin/env bash
# Annotating by hand on a real X server: pick tools on the toolbar, drag and type with the pointer
# and keyboard grabbed by the overlay, undo, and confirm; the clipboard image shows exactly what
# was kept.
source "$(dirname "$0")/lib/xsession.sh"
tessary=$1
xsession_start 1280x800
backdrop=$XS_WORK/backdrop.png
/usr/bin/convert -size 1280x800 xc:'#808080' PNG24:"$backdrop"
xsession_set_root_image "$backdrop"

fail() { echo "FAIL: $*" >&2; cat "$XS_WORK/app.log" >&2; exit 1; }

# Selection x=200 y=200 w=600 h=400 in y-up points: screen columns 200…799, rows 200…599. The
# toolbar sits 8 points under it, starting 8 points from the left edge: buttons 48 wide from x=18,
# centred 22 points below the bar's top edge at row 608.
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=200,200,600,400 \
    >"$XS_WORK/app.log" 2>&1 &
XS_PIDS+=($!)
for _ in $(seq 100); do grep -q '工具栏出现\|选区' "$XS_WORK/app.log" && break; sleep 0.1; done
sleep 1
button() { echo $((18 + 48 * $1 + 24)); } # x of a drawing tool's centre
bar_y=630

click() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.2; }
drag() { # X1 Y1 X2 Y2
    xdotool mousemove --sync "$1" "$2" mousedown 1
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --sync $(($1 + ($3 - $1) * step / 8)) $(($2 + ($4 - $2) * step / 8))
    done
    xdotool mouseup 1
    sleep 0.2
}

click "$(button 0)" $bar_y         # rectangle tool
drag 300 300 500 450               # kept
drag 560 260 760 360               # undone below
xdotool key ctrl+z
sleep 0.2
click "$(button 6)" $bar_y         # text tool
click 260 500
xdotool type --delay 30 'HELLO'
xdotool key ctrl+Return
sleep 0.3
xdotool key Return                 # copy the result

clip=$XS_WORK/clip.png
xsession_read_clipboard_png "$clip" || fail "clipboard never held image/png"
[ "$(identify -format '%wx%h' "$clip")" = 600x400 ] || fail "unexpected size $(identify -format '%wx%h' "$clip")"

# Pixels that differ from the grey backdrop inside a crop region (image coordinates).
changed() { # W H X Y
    /usr/bin/convert "$clip" -crop "$1x$2+$3+$4" +repage -fill black -opaque '#808080' \
        -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:
}
red() { # X Y: is the pixel red?
    /usr/bin/convert "$clip" -format '%[fx:p{'"$1,$2"'}.r > 0.7 && p{'"$1,$2"'}.g < 0.4 ? 1 : 0]' info:
}
# The kept rectangle spans image columns 100…300 and rows 100…250.
edge=0
for x in 98 99 100 101 102; do [ "$(red $x 175)" = 1 ] && edge=1; done
[ "$edge" = 1 ] || fail "no red edge where the rectangle was dragged"
[ "$(changed 150 100 125 125)" = 0 ] || fail "the rectangle's inside is not untouched"
# The undone one (columns 360…560, rows 60…160) left nothing behind.
[ "$(changed 230 130 345 45)" = 0 ] || fail "the undone rectangle is still drawn"
# The typed text lies right of and below the click at (60, 300) in image coordinates.
ink=$(changed 200 60 55 295)
[ "$ink" -gt 40 ] || fail "typed text missing (ink pixels: $ink)"
echo "PASS (text ink pixels: $ink)"
