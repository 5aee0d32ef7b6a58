#!/usr/bin/env bash
# A live scrolling capture on a real X server: a reader window is scrolled with the wheel and the keys
# (uneven steps, pauses, a step back) while the capture runs; the long image on the clipboard and in the
# developer output file equals the page rendered whole. Then the capture hot key ends a second capture,
# and Cancel ends a third without touching the clipboard.
source "$(dirname "$0")/lib/xsession.sh"
tessary=$1
reader=${TESSARY_BUILD_DIR:?}/Tests/scroll_document_window
xsession_start 1920x1080

offsets=$XS_WORK/offsets.txt
xsession_spawn "$reader" show "$offsets"
for _ in $(seq 50); do [ -s "$offsets" ] && break; sleep 0.1; done
sleep 0.5
# The reader sits at (100, 100), 640 × 444: in y-up points the selection starts at 1080 - 100 - 444.
selection=100,536,640,444
wid=$(xdotool search --sync --onlyvisible --class scroll_document_window | head -1)
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowactivate --sync "$wid"

scroll_script() {
    xdotool mousemove 420 320
    sleep 0.6
    for step in 1 2 3; do xdotool click 5; sleep 0.35; done     # wheel, one notch at a time
    sleep 1.0                                                   # a pause
    for step in 1 2 3 4 5; do xdotool key Down; sleep 0.15; done # keys, small steps
    xdotool click 4; sleep 0.4                                  # a step back
    xdotool click --repeat 2 --delay 120 5; sleep 0.5            # faster wheel
    xdotool key Page_Down; sleep 0.5
    for step in 1 2 3; do xdotool click 5; sleep 0.25; done
    xdotool key Page_Down; sleep 0.4
    xdotool key Down; sleep 0.3
}

# 1. Ends by its developer time limit.
out=$XS_WORK/long.png
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=$selection --dev-auto-action=scroll \
    --dev-scroll-duration=12 --dev-scroll-out="$out" >"$XS_WORK/run1.log" 2>&1 &
app=$!
XS_PIDS+=($app)
sleep 3.6   # the scripted selection acts after 3 s
if [ -n "${SCROLL_SHOT:-}" ]; then
    sleep 0.5; import -window root "$SCROLL_SHOT/panel.png"
fi
scroll_script
xsession_wait_for_file "$out" 20 || { cat "$XS_WORK/run1.log"; exit 1; }
sleep 0.5
last=$(tail -1 "$offsets")
expected=$XS_WORK/expected.png
"$reader" expect "$last" "$expected"
clip=$XS_WORK/clip.png
xsession_read_clipboard_png "$clip" || { echo "no image on the clipboard"; cat "$XS_WORK/run1.log"; exit 1; }
echo "offsets shown: $(sort -n "$offsets" | uniq | tr '\n' ' ')"
echo "delivered $(identify -format '%wx%h' "$out"), expected $(identify -format '%wx%h' "$expected")"
diff=$(xsession_pixel_difference "$out" "$expected")
clipdiff=$(xsession_pixel_difference "$clip" "$expected")
echo "differing pixels: file $diff, clipboard $clipdiff"
grep -E "滚动截图" "$XS_WORK/run1.log"
[ "$diff" = 0 ] && [ "$clipdiff" = 0 ] || { cat "$XS_WORK/run1.log"; exit 1; }
kill "$app"; wait "$app" 2>/dev/null || true

# 2. The capture hot key finishes a running capture.
xdotool key --window "$wid" Home 2>/dev/null || true
out2=$XS_WORK/hotkey.png
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=$selection --dev-auto-action=scroll \
    --dev-scroll-out="$out2" >"$XS_WORK/run2.log" 2>&1 &
app=$!
XS_PIDS+=($app)
sleep 3.8
xdotool mousemove 420 320 click 5; sleep 0.4; xdotool click 5; sleep 0.4
xdotool key ctrl+alt+a
xsession_wait_for_file "$out2" 10 || { echo "the hot key did not finish the capture"; cat "$XS_WORK/run2.log"; exit 1; }
grep -q "滚动截图：完成，1 段" "$XS_WORK/run2.log" || { cat "$XS_WORK/run2.log"; exit 1; }
echo "hot key: delivered $(identify -format '%wx%h' "$out2")"

# 3. Cancel delivers nothing and leaves the clipboard alone.
printf 'kept' | xclip -selection clipboard -i
out3=$XS_WORK/cancel.png
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=$selection --dev-auto-action=scroll \
    --dev-scroll-out="$out3" >"$XS_WORK/run2b.log" 2>&1 &
sleep 3.8
xdotool mousemove 420 320 click 5; sleep 0.5
# The panel sits right of the region: x = 740 + 14, centred on the region vertically; Cancel is its
# lower-left button.
xdotool mousemove $((754 + 16 + 56)) $((322 + 196 - 14 - 14)) click 1
sleep 1.5
cat "$XS_WORK/run2.log" "$XS_WORK/run2b.log" | grep -q "滚动截图：用户取消。" || { echo "cancel not logged"; cat "$XS_WORK/run2.log" "$XS_WORK/run2b.log"; exit 1; }
[ ! -e "$out3" ] || { echo "cancel wrote an image"; exit 1; }
[ "$(xclip -selection clipboard -o 2>/dev/null)" = kept ] || { echo "cancel touched the clipboard"; exit 1; }
# 4. A long image over Qt's 128 MB image limit (2000 × 17,600 pixels, 141 MB) reaches the clipboard and
# the file whole: the same PNG bytes, every row present.
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null || true
frames=$XS_WORK/frames
mkdir -p "$frames"
"$reader" frames "$frames" 2000 800 300 17600
out4=$XS_WORK/big.png
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=$selection --dev-auto-action=scroll \
    --dev-scroll-frames="$frames" --dev-scroll-out="$out4" >"$XS_WORK/run4.log" 2>&1 &
XS_PIDS+=($!)
for _ in $(seq 600); do grep -q "写剪贴板" "$XS_WORK/run4.log" && break; sleep 0.2; done
grep -q "滚动截图：长图 2000x17600 像素，写剪贴板成功。" "$XS_WORK/run4.log" || { cat "$XS_WORK/run4.log"; exit 1; }
xsession_read_clipboard_png "$XS_WORK/big-clip.png" || { echo "no long image on the clipboard"; exit 1; }
cmp -s "$out4" "$XS_WORK/big-clip.png" || { echo "file and clipboard differ"; exit 1; }
python3 - "$out4" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
width, height = struct.unpack(">II", data[16:24])
pos, idat = 8, b""
while pos < len(data):
    n = struct.unpack(">I", data[pos:pos + 4])[0]
    if data[pos + 4:pos + 8] == b"IDAT":
        idat += data[pos + 8:pos + 8 + n]
    pos += 12 + n
raw = len(zlib.decompress(idat))
print(f"long image {width}x{height}: {raw} bytes of rows")
sys.exit(0 if (width, height) == (2000, 17600) and raw == height * (1 + width * 3) else 1)
PY
echo "PASS"
