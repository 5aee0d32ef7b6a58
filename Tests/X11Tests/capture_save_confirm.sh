#!/usr/bin/env bash
# A scripted capture against a real X server: the saved PNG and the clipboard hold exactly the
# selected pixels of the root window (selection in y-up points, image rows top-down).
source "$(dirname "$0")/lib/xsession.sh"
tessary=$1
xsession_start 1920x1080

backdrop=$XS_WORK/backdrop.png
/usr/bin/convert -size 1920x1080 xc:'#204060' \
    -fill '#e63946' -draw 'rectangle 100,100 699,399' \
    -fill '#f1faee' -draw 'circle 960,540 960,740' \
    -fill '#a8dadc' -draw 'rectangle 1500,800 1899,1059' \
    +noise Uniform -depth 8 PNG24:"$backdrop"
xsession_set_root_image "$backdrop"

# x=300 y=180 w=640 h=360 in y-up points → columns 300…939, rows 1080-180-360=540 … 899.
expected=$XS_WORK/expected.png
/usr/bin/convert "$backdrop" -crop 640x360+300+540 +repage PNG24:"$expected"

saved=$XS_WORK/saved.png
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=300,180,640,360 \
    --dev-auto-action=save --dev-save-to="$saved" >"$XS_WORK/save.log" 2>&1 &
XS_PIDS+=($!)
xsession_wait_for_file "$saved" 20 || { cat "$XS_WORK/save.log"; exit 1; }
sleep 0.3
diff=$(xsession_pixel_difference "$saved" "$expected")
echo "saved crop: $(identify -format '%wx%h' "$saved"), differing pixels: $diff"
[ "$diff" = 0 ] || { cat "$XS_WORK/save.log"; exit 1; }

# Confirm: the resident process keeps the clipboard after the overlay is gone.
"$tessary" --capture-now --dev-demo-selection --dev-selection-rect=300,180,640,360 \
    --dev-auto-action=confirm >"$XS_WORK/confirm.log" 2>&1 &
XS_PIDS+=($!)
clip=$XS_WORK/clip.png
xsession_read_clipboard_png "$clip" || { echo "clipboard never held image/png"; cat "$XS_WORK/confirm.log"; exit 1; }
diff=$(xsession_pixel_difference "$clip" "$expected")
echo "clipboard crop differing pixels: $diff"
[ "$diff" = 0 ] || { cat "$XS_WORK/confirm.log"; exit 1; }
echo "PASS"
